#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

// The lines of a data file, read piece by piece so that a large file is never held whole: ended
// by LF, CR LF or a lone CR; a last line without a line end counts; byte 1A ends the file.
class TDataFileLines {
  public:
    // The lines of bytes already in memory (which must outlive this object).
    explicit TDataFileLines(std::string_view bytes);
    // The lines of a stream, read in pieces of `pieceBytes` (a line longer than that grows the
    // piece). Throws EInOutError naming `fileName` when the stream fails.
    TDataFileLines(std::istream& in, std::string fileName, std::size_t pieceBytes = 1 << 22);

    // The next line, valid until the next call; false after the last one.
    bool next(std::string_view& line);
    // The position of the line next gave last, in bytes from where reading began.
    std::uint64_t lineOffset() const { return m_lineOffset; }

    // The number of lines of the same bytes or stream from its current position, by the same
    // rules, without keeping them; the stream is put back where it was.
    static std::size_t count(std::string_view bytes);
    static std::size_t count(std::istream& in, const std::string& fileName);

  private:
    // Reads the next piece after what is left unread; false when the stream has ended.
    bool readMore();

    std::istream* m_in = nullptr;
    std::string m_fileName;
    std::size_t m_pieceBytes = 0;
    std::string m_buffer;
    std::string_view m_unread;         // into the bytes or m_buffer
    bool m_ended = true;               // nothing more to read from the stream
    std::uint64_t m_unreadOffset = 0;  // the position of m_unread's first byte
    std::uint64_t m_lineOffset = 0;
};
