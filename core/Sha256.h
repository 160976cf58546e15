#pragma once

#include <optional>
#include <string>

// The SHA-256 digest of `bytes` as 64 lower-case hexadecimal digits.
std::string sha256Hex(const std::string& bytes);

// The SHA-256 digest of a file's bytes, or none when it cannot be read.
std::optional<std::string> sha256OfFile(const std::string& path);
