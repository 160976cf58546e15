#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Whether a table fits in memory, asked before its storage is allocated: a table too large for
// the machine stops with a message instead of driving the computer into swapping or being
// killed half-way through a load.

// The memory the system can give without swapping, in bytes (MemAvailable of /proc/meminfo, or
// the free physical pages where that is missing); 0 when it cannot be told.
std::uint64_t availableMemoryBytes();

// Replaces availableMemoryBytes for tests; an empty function restores it.
void setAvailableMemoryForTesting(std::function<std::uint64_t()> available);

// Throws ELimitError when `needed` bytes exceed the memory available: "<what> needs about
// 1,234 MB of memory; 800 MB are available." An unknown amount available lets it pass.
void checkMemoryFor(std::uint64_t needed, const std::string& what);

// "1,234 MB": bytes in whole megabytes (rounded up), with the locale's thousands separator.
std::string megabytesText(std::uint64_t bytes);
