#pragma once

#include <optional>
#include <string>

// Where an imported data file came from: a small text file beside it ("DATAFILE.origin") that
// names the table it was imported from, that table's SHA-256 and the options of the import, so
// that numbers computed on the data file lead back to the user's own file. It stays outside the
// data file, whose format every reader of data files must keep reading unchanged.

// What the origin file holds (Windows-1250 texts).
struct TDataFileOrigin {
    std::string dataSha256;       // of the data file it describes: an origin of another is stale
    std::string originalPath;     // the imported table, relative to the data file's folder
    std::string originalSha256;   // "" when the table could not be read
    std::string importArguments;  // of tav-batch import after IN and OUT, quoted for a shell
};

// The origin file of the data file at `dataFile`: "DATAFILE.origin".
std::string dataFileOriginPath(const std::string& dataFile);

// Writes the origin file of `dataFile` through replaceFileWhole. Throws EInOutError naming the
// origin file and the reason.
void writeDataFileOrigin(const std::string& dataFile, const TDataFileOrigin& origin);

// The origin of `dataFile` when its origin file exists, reads as one and describes the data file
// as it is now (its SHA-256 is `dataSha256`); none otherwise. `originalPath` is then the path of
// the table as seen from where `dataFile` is named (the data file's folder joined to it).
std::optional<TDataFileOrigin> readDataFileOrigin(const std::string& dataFile,
                                                  const std::string& dataSha256);

// The path of `original` relative to the folder of `dataFile` (both as the process names them),
// in the form writeDataFileOrigin keeps.
std::string originalPathFromDataFile(const std::string& original, const std::string& dataFile);
