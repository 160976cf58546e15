#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "core/CodePage.h"
#include "core/uTavObj.h"

// Splits the line of one record into its values as the loader reads them: converted into
// Windows-1250 and trimmed (TXT and FLT), or as TBaza::splitLine gives them (QTX); at most
// kMaxFields values. The loader and the re-reading of a record's texts share it, so that a text
// read again is the text loaded.
class TRecordSplitter {
  public:
    TRecordSplitter(const TBaza& data, TDataFileKind kind, CodePageId page);

    // Calls add(value) for each value of `line`, in field order; a value is valid during the call.
    template <class Add>
    void split(std::string_view line, Add&& add);

  private:
    static std::string_view trimmed(std::string_view text) {
        while (!text.empty() && text.back() == ' ')
            text.remove_suffix(1);
        while (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
        return text;
    }
    template <class Add>
    void addRaw(std::string_view raw, Add& add) {
        if (m_keepsBytes) {
            add(trimmed(raw));
            return;
        }
        m_converted = ConvertString(std::string(raw), m_page, cp1250);
        add(trimmed(std::string_view(m_converted)));
    }

    const TBaza& m_data;
    TDataFileKind m_kind;
    CodePageId m_page;
    bool m_keepsBytes;                     // the code page needs no conversion
    std::string m_converted;               // work space of a value that needs converting
    std::vector<std::string> m_qtxValues;  // work space of a comma-text line
};

template <class Add>
void TRecordSplitter::split(std::string_view line, Add&& add) {
    // Values past the last possible field are never read: they are not kept.
    size_t count = 0;
    switch (m_kind) {
        case dfkTxt: {
            // Values run to the next ";"; a final ";" adds no value, an empty line gives one.
            size_t start = 0;
            do {
                const size_t at = std::min(line.find(';', start), line.size());
                addRaw(line.substr(start, at - start), add);
                start = at + 1;
            } while (start < line.size() && ++count < static_cast<size_t>(kMaxFields));
            break;
        }
        case dfkFlt:
            for (int i = 0; i < m_data.FieldCount() && count < static_cast<size_t>(kMaxFields);
                 ++i, ++count) {
                const size_t start = static_cast<size_t>(m_data.fieldStart(i)) - 1;
                const size_t width = static_cast<size_t>(std::max(0, m_data.fieldWidth(i)));
                addRaw(start < line.size() ? line.substr(start, width) : std::string_view(), add);
            }
            break;
        case dfkQtx:
            m_data.splitLine(std::string(line), m_kind, m_page, m_qtxValues, kMaxFields);
            for (const std::string& value : m_qtxValues)
                add(std::string_view(value));
            break;
        default:
            break;
    }
}
