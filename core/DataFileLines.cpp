#include "core/DataFileLines.h"

#include <algorithm>

#include "core/Errors.h"

namespace {

constexpr char kEndOfFile = 0x1A;

// The position of the first line end in bytes, or npos.
std::size_t lineEnd(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' || bytes[i] == '\r') return i;
    }
    return std::string_view::npos;
}

// The bytes up to the first end-of-file byte.
std::string_view beforeEndOfFile(std::string_view bytes) {
    return bytes.substr(0, std::min(bytes.find(kEndOfFile), bytes.size()));
}

}  // namespace

TDataFileLines::TDataFileLines(std::string_view bytes) : m_unread(beforeEndOfFile(bytes)) {}

TDataFileLines::TDataFileLines(std::istream& in, std::string fileName, std::size_t pieceBytes)
    : m_in(&in), m_fileName(std::move(fileName)), m_pieceBytes(pieceBytes), m_ended(false) {}

bool TDataFileLines::readMore() {
    if (m_ended) return false;
    // What is left moves to the front; a line longer than a piece makes the buffer grow.
    const std::size_t kept = m_unread.size();
    std::string next;
    next.reserve(kept + m_pieceBytes);
    next.append(m_unread);
    next.resize(kept + m_pieceBytes);
    m_in->read(next.data() + kept, static_cast<std::streamsize>(m_pieceBytes));
    const std::size_t got = static_cast<std::size_t>(m_in->gcount());
    if (m_in->bad()) throw EInOutError("Error reading data file \"" + m_fileName + "\"");
    next.resize(kept + got);
    const std::size_t end = next.find(kEndOfFile, kept);
    if (end != std::string::npos) next.resize(end);
    if (got < m_pieceBytes || end != std::string::npos) m_ended = true;
    m_buffer.swap(next);
    m_unread = m_buffer;
    return got > 0 || kept > 0;
}

bool TDataFileLines::next(std::string_view& line) {
    for (;;) {
        const std::size_t at = lineEnd(m_unread);
        // A CR at the end of what was read may be the first half of CR LF.
        const bool mayContinue = at != std::string_view::npos && m_unread[at] == '\r' &&
                                 at + 1 == m_unread.size() && !m_ended;
        if (at != std::string_view::npos && !mayContinue) {
            line = m_unread.substr(0, at);
            const bool crlf =
                m_unread[at] == '\r' && at + 1 < m_unread.size() && m_unread[at + 1] == '\n';
            const std::size_t consumed = at + (crlf ? 2 : 1);
            m_unread.remove_prefix(consumed);
            m_lineOffset = m_unreadOffset;
            m_unreadOffset += consumed;
            return true;
        }
        if (!m_ended) {
            readMore();
            continue;
        }
        if (m_unread.empty()) return false;
        line = m_unread;
        m_lineOffset = m_unreadOffset;
        m_unreadOffset += m_unread.size();
        m_unread = {};
        return true;
    }
}

std::size_t TDataFileLines::count(std::string_view bytes) {
    TDataFileLines lines(bytes);
    std::size_t n = 0;
    for (std::string_view line; lines.next(line);)
        ++n;
    return n;
}

std::size_t TDataFileLines::count(std::istream& in, const std::string& fileName) {
    const std::streampos start = in.tellg();
    std::size_t n = 0;
    {
        TDataFileLines lines(in, fileName);
        for (std::string_view line; lines.next(line);)
            ++n;
    }
    in.clear();
    in.seekg(start);
    if (!in) throw EInOutError("Error reading data file \"" + fileName + "\"");
    return n;
}
