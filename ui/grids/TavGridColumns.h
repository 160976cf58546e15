#pragma once

#include <vector>

#include "ui/grids/TxTableModel.h"

// The columns of the three grids of the main window, one per field of their result tables:
// titles, widths in characters, display formats and alignment.

// "No.", "Sel" ("0"), "Name", "Type", "Count".
std::vector<TGridColumn> fieldsGridColumns();
// "No.", "Name", "Count" (right-aligned text), "Score" and "Signif" ("0.000").
std::vector<TGridColumn> rulesGridColumns();
// "No.", "Name", "freq", "prob", "std", "condF", "condP", "condS", "DEntropy", "Signif".
std::vector<TGridColumn> frequencyGridColumns();
