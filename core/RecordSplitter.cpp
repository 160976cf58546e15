#include "core/RecordSplitter.h"

namespace {

// Whether converting from the code page into Windows-1250 leaves every byte as it is, so that
// values can be taken from the line without a converted copy.
bool keepsEveryByte(CodePageId page) {
    if (page == cp1250) return true;
    if (page < 0 || page >= kCodePageCount) return false;  // the conversion reports it
    std::string bytes(256, '\0');
    for (int b = 0; b < 256; ++b)
        bytes[b] = static_cast<char>(b);
    return ConvertString(bytes, page, cp1250) == bytes;
}

}  // namespace

TRecordSplitter::TRecordSplitter(const TBaza& data, TDataFileKind kind, CodePageId page)
    : m_data(data), m_kind(kind), m_page(page), m_keepsBytes(keepsEveryByte(page)) {}
