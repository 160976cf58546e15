#include "core/RecordTexts.h"

#include "core/Errors.h"

void TBaza::TTextSource::fail(const std::string& why) const {
    throw EInOutError("The texts of the records of \"" + displayPath(path) +
                      "\" cannot be read again: " + why + ". Load the data file again.");
}

void TBaza::TTextSource::read(const TBaza& data, int r, std::uint64_t lineOffset,
                              std::vector<std::string>& values) {
    if (m_lines == nullptr || r != m_nextRecord) {
        // The positions are those of the file loaded: another file in its place would give
        // other records under the same numbers.
        std::error_code error;
        const std::uintmax_t nowSize = std::filesystem::file_size(path, error);
        if (error) fail("the file is gone or cannot be opened");
        const std::filesystem::file_time_type nowModified =
            std::filesystem::last_write_time(path, error);
        if (error || nowSize != size || nowModified != modified) fail("the file changed");
        m_lines.reset();
        m_file.close();
        m_file.clear();
        m_file.open(path, std::ios::binary);
        if (!m_file) fail("the file cannot be opened");
        m_file.seekg(static_cast<std::streamoff>(lineOffset));
        if (!m_file) fail("the file is shorter than it was");
        m_lines = std::make_unique<TDataFileLines>(m_file, displayPath(path), 1 << 20);
        if (m_splitter == nullptr) m_splitter = std::make_unique<TRecordSplitter>(data, kind, page);
    }
    std::string_view line;
    if (!m_lines->next(line)) fail("the file is shorter than it was");
    values.clear();
    m_splitter->split(line, [&values](std::string_view value) { values.emplace_back(value); });
    m_nextRecord = r + 1;
}
