#pragma once

#include <string>

// Whether a path names a data file that can be read: an existing regular file (or a link to
// one) that this process may open. Returns "" when it can; otherwise the message that says why
// not: the path does not exist, names a folder, a named pipe, a socket or a device, or the
// system refuses to open it (with the system's reason). Never blocks: a named pipe is refused
// before anything opens it.
std::string dataFileProblem(const std::string& path);
