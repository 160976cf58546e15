// Reading XML table files with expat: ReadHeaderFromXml and LoadFromXml.
#include <climits>
#include <cstring>
#include <exception>
#include <unordered_map>

#include <expat.h>

#include "core/Errors.h"
#include "core/LocaleFormat.h"
#include "core/TextUtils.h"
#include "core/Win1250.h"
#include "table/TXMLDataSet.h"
#include "table/TxValueText.h"

namespace {

// A start tag: the element name and its attributes in document order (Windows-1250 text).
struct StartTag {
    std::string element;
    std::vector<std::string> names;
    std::vector<std::string> values;
};

// Handles one start tag; returns false to stop the pass.
using TagHandler = std::function<bool(const StartTag&)>;

struct ParseState {
    XML_Parser parser = nullptr;
    const TagHandler* handler = nullptr;
    std::exception_ptr error;
    bool stopped = false;
};

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto* state = static_cast<ParseState*>(data);
    try {
        StartTag tag;
        tag.element = utf8ToWin1250(name);
        for (int k = 0; attributes[k]; k += 2) {
            tag.names.push_back(utf8ToWin1250(attributes[k]));
            tag.values.push_back(utf8ToWin1250(attributes[k + 1]));
        }
        if (!(*state->handler)(tag)) {
            state->stopped = true;
            XML_StopParser(state->parser, XML_FALSE);
        }
    } catch (...) {
        // No exception may cross the parser's C frames.
        state->error = std::current_exception();
        XML_StopParser(state->parser, XML_FALSE);
    }
}

// Files may declare the Windows-1250 encoding, which expat does not know by itself.
int XMLCALL onUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
    const std::string upper = upperCase1250(name);
    if (upper != "WINDOWS-1250" && upper != "CP1250") return XML_STATUS_ERROR;
    for (int b = 0; b < 256; ++b)
        info->map[b] = static_cast<int>(win1250ToUnicode(static_cast<unsigned char>(b)));
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}

// At most 100 characters of a text taken from a file, for messages.
std::string shortText(const std::string& text) {
    return text.size() <= 100 ? text : text.substr(0, 100) + "...";
}

void parseDocument(const std::string& content, const TagHandler& handler,
                   const std::string& fileName) {
    if (content.empty()) return;  // an empty file reads as nothing at all
    if (content.size() > static_cast<std::size_t>(INT_MAX))
        throw ExDataSetError("File too large", fileName);
    ParseState state;
    state.handler = &handler;
    state.parser = XML_ParserCreate(nullptr);
    if (!state.parser) throw ExDataSetError("Out of memory", fileName);
    XML_SetUserData(state.parser, &state);
    XML_SetStartElementHandler(state.parser, onStart);
    XML_SetUnknownEncodingHandler(state.parser, onUnknownEncoding, nullptr);
    const XML_Status status =
        XML_Parse(state.parser, content.data(), static_cast<int>(content.size()), 1);
    const XML_Error code = XML_GetErrorCode(state.parser);
    const auto line = XML_GetCurrentLineNumber(state.parser);
    const auto column = XML_GetCurrentColumnNumber(state.parser);
    XML_ParserFree(state.parser);
    if (state.error) {
        try {
            std::rethrow_exception(state.error);
        } catch (const ExDataSetError&) {
            throw;
        } catch (const std::exception& e) {
            throw ExDataSetError(e.what(), fileName);
        }
    }
    if (status == XML_STATUS_ERROR && !(state.stopped && code == XML_ERROR_ABORTED)) {
        throw ExDataSetError("XML error in line " + std::to_string(line) + ", column " +
                                 std::to_string(column + 1) + ": " + XML_ErrorString(code),
                             fileName);
    }
}

int integerValue(const std::string& text, const std::string& fileName) {
    const auto value = tryParseInteger(text);
    if (!value)
        throw ExDataSetError("'" + shortText(text) + "' is not a valid integer value", fileName);
    return *value;
}

}  // namespace

void TXMLDataSet::ReadHeaderFromXml() {
    const std::string content = readWholeFile(m_fileName);
    std::vector<TxKey> keys;
    const TagHandler handler = [&](const StartTag& tag) {
        const auto& n = tag.names;
        const auto& v = tag.values;
        const std::size_t count = n.size();
        if (tag.element == "XmlHeader") {
            if (count != 1 || n[0] != "Version") fail("XmlHeader: declaration error");
            if (v[0] != "1.0") fail("XmlHeader: version error");
        } else if (tag.element == "Fields") {
            if (count != 0) fail("Fields: declaration error");
        } else if (tag.element == "Field") {
            if (count < 2 || count > 3 || n[0] != "FieldName" || n[1] != "FieldType")
                fail("Field: declaration error");
            const std::string& name = v[0];
            const int type = fieldTypeByName(v[1]);
            if (type < 0)
                fail("Field." + shortText(name) + ": unknown field type " + shortText(v[1]));
            int length = 0;
            if (type == xftString) {
                if (count != 3 || n[2] != "Length")
                    fail("Field." + shortText(name) + ": declaration error");
                length = integerValue(v[2], m_fileName);
            }
            AddField(name, type, length);
        } else if (tag.element == "Keys") {
            if (count != 0) fail("Keys: declaration error");
        } else if (tag.element == "Key") {
            if (count < 2 || count > 4 || n[0] != "KeyName" || n[1] != "Length")
                fail("Key: declaration error");
            TxKey key;
            key.name = v[0];
            key.length = integerValue(v[1], m_fileName);
            if (count >= 3) {
                if (n[2] != "AllowDup") fail("Key: declaration error");
                key.allowDup = v[2] == "True";
            }
            if (count == 4) {
                if (n[3] != "Maintained") fail("Key: declaration error");
                key.maintained = v[3] == "True";
            }
            keys.push_back(key);
        } else if (tag.element == "XmlData") {
            return false;
        }
        return true;
    };
    parseDocument(content, handler, m_fileName);
    m_keys = std::move(keys);
}

std::vector<std::vector<std::uint8_t>> TXMLDataSet::readRecords(const std::string& content,
                                                                CodePageId& codePage) const {
    const auto& fields = layout().fields();
    std::unordered_map<std::string, int> byName;
    for (int k = 0; k < layout().dataFieldCount(); ++k)
        byName.emplace(fields[k].name, k);
    const TLocaleFormat& locale = localeFormat();
    const std::string datePattern = withFullYear(locale.shortDateFormat);
    std::vector<std::vector<std::uint8_t>> records;

    const auto store = [&](const TxField& f, std::uint8_t* record, const std::string& text) {
        auto invalid = [&](const char* what) {
            fail("'" + shortText(text) + "' is not a valid " + what);
        };
        TxValue value;
        switch (f.type) {
            case xftByte:
            case xftSmallint:
            case xftInteger:
            case xftWord: {
                // The integer conversion, then the field's width.
                const auto bits = static_cast<std::uint32_t>(integerValue(text, m_fileName));
                std::memcpy(record + f.offset, &bits, static_cast<std::size_t>(f.byteCount()));
                return;
            }
            case xftReal48:
            case xftSingle:
            case xftDouble:
            case xftExtended: {
                double d = 0.0;
                if (!parseFloat(text, locale.decimalSeparator, d)) invalid("floating point value");
                value = TxValue(d);
                break;
            }
            case xftCurrency: {
                std::int64_t c = 0;
                if (!parseCurrency(text, locale.decimalSeparator, c))
                    invalid("floating point value");
                value = TxValue::currency(c);
                break;
            }
            case xftChar:
                record[f.offset] = text.empty() ? 0 : static_cast<std::uint8_t>(text[0]);
                return;
            case xftString: {
                const std::size_t length = std::min(text.size(), static_cast<std::size_t>(f.size));
                record[f.offset] = static_cast<std::uint8_t>(length);
                std::memcpy(record + f.offset + 1, text.data(), length);
                return;
            }
            case xftBoolean:
                record[f.offset] = text == "True" ? 1 : 0;
                return;
            case xftDate:
            case xftPkDate: {
                double d = 0.0;
                if (!parseDateText(text, datePattern, d)) invalid("date");
                value = TxValue::dateTime(d);
                break;
            }
            case xftTime: {
                double t = 0.0;
                if (!parseTimeText(text, locale.longTimeFormat, t)) invalid("time");
                value = TxValue::dateTime(t);
                break;
            }
        }
        try {
            writeFieldValue(f, record, value, cp1250, cp1250);
        } catch (const ExDataSetError& e) {
            fail(e.what());
        }
    };

    const TagHandler handler = [&](const StartTag& tag) {
        const auto& n = tag.names;
        const auto& v = tag.values;
        if (tag.element == "XmlDataSet") {
            if (n.empty() || n.size() > 2 || n[0] != "Version")
                fail("XmlDataSet: declaration error");
            if (v[0] != "1.0") fail("XmlDataSet: version error");
            if (n.size() == 2) {
                if (n[1] != "CodePage") fail("XmlDataSet: CodePage expected");
                try {
                    codePage = StringToCodePageId(v[1]);
                } catch (const ECodePageError& e) {
                    fail(e.what());
                }
            }
        } else if (tag.element == "XmlData") {
            records.clear();
        } else if (tag.element == "Record") {
            std::vector<std::uint8_t> record(static_cast<std::size_t>(RecordSize()), 0);
            for (std::size_t k = 0; k < n.size(); ++k) {
                const auto it = byName.find(n[k]);
                if (it == byName.end()) {
                    if (m_ignoreUnknownFields) continue;
                    fail(shortText(n[k]) + ": field name error");
                }
                store(fields[static_cast<std::size_t>(it->second)], record.data(), v[k]);
            }
            records.push_back(std::move(record));
        }
        return true;
    };
    parseDocument(content, handler, m_fileName);
    return records;
}

void TXMLDataSet::LoadFromXml() {
    const std::string content = readWholeFile(m_fileName);
    CodePageId codePage = CodePageIn();
    auto records = readRecords(content, codePage);
    m_records = std::move(records);
    SetCodePageIn(codePage);
}
