#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

// Writing the files the program keeps (reports, result files, tables) so that a failure never
// leaves one half-written.

// The steps of writing a file that a fault can be injected into.
enum class TWriteStep { Create, Write, Rename };

// Fault injection: when set, it is asked before each step on `path` and returns 0 to let the
// step go ahead, or an errno value that the step then fails with (EACCES for a read-only folder
// at Create, ENOSPC for a full disk at Write, which fails after half of its bytes were written).
// Tests set it; the program never does.
using TWriteFaultHook = std::function<int(TWriteStep step, const std::string& path)>;
TWriteFaultHook& writeFaultHook();
// The fault injected into `step` on `path`: 0 for none.
int injectedFault(TWriteStep step, const std::string& path);

// Writes all of `bytes` to `file` (unbuffered or flushed) and flushes it. Returns 0, or the errno
// of the failure.
int writeWhole(std::FILE* file, const std::string& path, const std::string& bytes);

// Asked just before the new content replaces the file: "" lets it go ahead, any other text stops
// the replacement with that text as the reason.
using TReplaceCheck = std::function<std::string()>;

// Replaces the file at `path` (a link: the file it points to) with `bytes`. The content goes to a
// temporary file beside it, created anew (never through an existing name or link) as
// "PATH.tav-PID-N.tmp" with this process's id, is flushed to disk and renamed over the file only
// when complete, so that on any failure the old file stays whole. Temporary files of the same
// path left by writers that no longer run are removed first; those of running ones are kept. A
// replaced file keeps its permissions and, where the system allows, its owner; a file the user may
// not write, or one without any write permission (which even the administrator is not meant to
// change), is refused. When `check` stops the replacement the temporary file is kept as
// "PATH.tavN.tmp" and the message names it; on every other failure it is removed. Throws
// EInOutError with the reason (the caller names the file).
void replaceFileWhole(const std::string& path, const std::string& bytes,
                      const TReplaceCheck& check = {});

// Appends bytes to a file being written.
using TByteSink = std::function<void(std::string_view bytes)>;

// The same as replaceFileWhole for content too large to hold in memory: `write` produces it
// through the sink it is given, piece by piece. A write that fails throws from the sink, and the
// failure is reported as replaceFileWhole reports it; an exception `write` throws leaves the old
// file whole, removes the temporary file and reaches the caller unchanged.
void replaceFileStreamed(const std::string& path,
                         const std::function<void(const TByteSink&)>& write,
                         const TReplaceCheck& check = {});
