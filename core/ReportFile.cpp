#include "core/ReportFile.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

#include "core/Errors.h"
#include "core/FileReplace.h"
#include "core/KeepEarlierFile.h"
#include "core/uTavObj.h"

TReportFile::TReportFile(const std::string& path) {
    const TKeptFile kept = keepEarlierFile(path);
    m_path = kept.newPath;
    m_startNote = kept.note;
    m_file = std::fopen(m_path.c_str(), "wb");
    // Unbuffered: a block goes out in one write, and nothing of a failed one waits in a buffer to
    // be written after the file was cut back.
    if (m_file != nullptr) std::setvbuf(m_file, nullptr, _IONBF, 0);
    if (m_file == nullptr) {
        m_openError = "The report file \"" + displayPath(m_path) +
                      "\" could not be created: " + std::strerror(errno);
    }
}

TReportFile::~TReportFile() {
    if (m_file != nullptr) std::fclose(m_file);
}

void TReportFile::appendBlock(const std::string& block) {
    // Without a loaded table there is no block, and nothing to say about a missing file either.
    if (block.empty()) return;
    if (m_file == nullptr) throw EInOutError("Nothing was written to the report. " + m_openError);
    const long before = std::ftell(m_file);
    const int error = writeWhole(m_file, m_path, block);
    if (error != 0) {
        // A torn block would be read as a whole one: cut the file back to the blocks before it.
        std::clearerr(m_file);
        const bool cut = before >= 0 && ::ftruncate(fileno(m_file), before) == 0 &&
                         std::fseek(m_file, before, SEEK_SET) == 0;
        throw EInOutError("Writing the report file \"" + displayPath(m_path) +
                          "\" failed: " + std::strerror(error) +
                          (cut ? ". The earlier blocks are kept; this block was not written."
                               : ". The file may end with a part of this block."));
    }
}
