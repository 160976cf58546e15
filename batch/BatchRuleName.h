#pragma once

#include <string>

#include "stats/uTavSets.h"

// The row of the simple rule named `name` (Windows-1250) in `rules` (list 3, whose row i the
// Simple rules grid shows as number i): the rule whose name is `name` whole or as the grid shows
// it (cut to its column's width), or else the one rule whose name is `name` after its leading
// "(n) " (the field's number). Runs of blanks count as one and blanks at the ends not at all.
// Throws EBatchUsage naming --rule when no rule has the name or when more than one has it,
// listing their numbers.
int ruleRowNamed(const TMnozicaList& rules, const std::string& name);
