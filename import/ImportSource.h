#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// What a parser of a file to import hands over: the header once, then the records one by one,
// all values already in Windows-1250.

// The columns of a file: their names and, for nominal ARFF attributes and labelled codes of
// statistics files, their declared values in order.
struct TSourceHeader {
    std::vector<std::string> names;
    std::vector<std::optional<std::vector<std::string>>> declaredValues;  // one per column
    std::vector<bool> dates;  // empty, or one per column: its values are dates
};

// Receives what a parser reads. `record` gets exactly one value per column and the line of the
// file (from 1) on which the record starts; `warning` (optional) a sentence for the user on what
// the parser repaired or took leniently, after the last record.
struct TSourceSink {
    std::function<void(TSourceHeader&& header)> header;
    std::function<void(std::vector<std::string>&& values, long long line)> record;
    std::function<void(std::string&& text)> warning;
    // Optional: how many of the bytes given to the parser it has read, after each line.
    std::function<void(size_t bytesRead)> progress;
};
