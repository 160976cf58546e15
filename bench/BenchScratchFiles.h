#pragma once

#include <string>

// A folder of the benchmarks' generated data files under the system's temporary directory, made
// at the first use and removed with its files when the process ends.
// Writes `bytes` to the file `name` of that folder and returns the file's path.
std::string writeScratchFile(const std::string& name, const std::string& bytes);
