// Writing XML table files: XmlEscape, the value texts and SaveToXml with its backup.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <expat.h>

#include "core/FileReplace.h"
#include "core/LocaleFormat.h"
#include "core/Win1250.h"
#include "table/TXMLDataSet.h"
#include "table/TxValueText.h"

namespace fs = std::filesystem;

namespace {

// An attribute name of a Record element. Character references are not allowed in names, so the
// characters above 127 are written as UTF-8 (the file's encoding).
std::string recordAttributeName(const std::string& name) {
    return win1250ToUtf8(name);
}

// Whether the XML parser reads the name back as one attribute of exactly that name: a name with
// blanks around it or inside it would be read as another name, or as several.
bool isXmlName(const std::string& name) {
    const std::string written = recordAttributeName(name);
    const std::string probe = "<a " + written + "=\"\"/>";
    XML_Parser parser = XML_ParserCreate("UTF-8");
    if (!parser) return false;
    struct Probe {
        const std::string* expected;
        bool same = false;
    } result{&written};
    XML_SetUserData(parser, &result);
    XML_SetStartElementHandler(
        parser, [](void* data, const XML_Char*, const XML_Char** attributes) {
            auto* probe = static_cast<Probe*>(data);
            probe->same = attributes[0] != nullptr && attributes[2] == nullptr &&
                          *probe->expected == attributes[0];
        });
    const bool ok =
        XML_Parse(parser, probe.data(), static_cast<int>(probe.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return ok && result.same;
}

// The value text of a field in a stored record.
std::string valueText(const TxField& f, const std::uint8_t* record,
                      const std::string& datePattern) {
    const TLocaleFormat& locale = localeFormat();
    const std::uint8_t* p = record + f.offset;
    switch (f.type) {
        case xftByte:
        case xftSmallint:
        case xftInteger:
        case xftWord:
            return std::to_string(readFieldValue(f, record, cp1250, cp1250).toInteger());
        case xftReal48:
        case xftSingle:
        case xftDouble:
        case xftExtended:
            return formatFloat(readFieldValue(f, record, cp1250, cp1250).toFloat(),
                               locale.decimalSeparator);
        case xftCurrency: {
            std::int64_t count = 0;
            std::memcpy(&count, p, sizeof count);
            return formatCurrency(count, locale.decimalSeparator);
        }
        case xftChar:
            return *p == 0 ? std::string() : std::string(1, static_cast<char>(*p));
        case xftString:
            return std::string(reinterpret_cast<const char*>(p + 1),
                               std::min<std::size_t>(*p, static_cast<std::size_t>(f.size)));
        case xftBoolean:
            return *p == 1 ? "True" : "False";
        case xftDate:
        case xftPkDate:
            return formatDateText(readFieldValue(f, record, cp1250, cp1250).toDateTime(),
                                  datePattern);
        case xftTime:
            return formatTimeText(readFieldValue(f, record, cp1250, cp1250).toDateTime(),
                                  locale.longTimeFormat);
    }
    return {};
}

bool hasForbiddenControl(const std::string& text) {
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 && b != '\t' && b != '\n' && b != '\r') return true;
    }
    return false;
}

// Sets LazyRead to -1 for its lifetime.
class LazyReadSuspension {
  public:
    explicit LazyReadSuspension(TXMLDataSet& table) : m_table(table), m_saved(table.LazyRead()) {
        table.SetLazyRead(-1);
    }
    ~LazyReadSuspension() { m_table.SetLazyRead(m_saved); }

  private:
    TXMLDataSet& m_table;
    int m_saved;
};

}  // namespace

std::string XmlEscape(const std::string& text, TxEscapeMode mode) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '&')
            out += "&amp;";
        else if (b > 126)
            out += "&#" + std::to_string(static_cast<std::uint32_t>(win1250ToUnicode(b))) + ";";
        else if (mode == TxEscapeMode::Value && c == '"')
            out += "&#34;";
        else if (mode == TxEscapeMode::Value && c == '<')
            out += "&lt;";
        else if (mode == TxEscapeMode::Value && (c == '\t' || c == '\n' || c == '\r'))
            out += "&#" + std::to_string(b) + ";";
        else
            out += c;
    }
    return out;
}

std::string TXMLDataSet::buildXmlText() const {
    const auto& fields = layout().fields();
    const int dataFields = layout().dataFieldCount();
    for (int k = 0; k < dataFields; ++k) {
        if (!isXmlName(fields[k].name))
            fail("Field name '" + fields[k].name + "' is not an XML name: write operation failed");
    }
    const auto value = [](const std::string& text) { return XmlEscape(text, TxEscapeMode::Value); };
    const auto markup = [](const std::string& text) {
        return XmlEscape(text, TxEscapeMode::Markup);
    };
    const std::string datePattern = withFullYear(localeFormat().shortDateFormat);

    std::string out;
    out += markup("<?xml version=\"1.0\"?>") + "\r\n";
    out += " " + markup("<XmlDataSet Version=\"1.0\" CodePage=\"") +
           value(CodePageNames[CodePageIn()]) + "\">\r\n";
    out += "  " + markup("<XmlHeader Version=\"1.0\">") + "\r\n";
    out += "   <Fields>\r\n";
    for (int k = 0; k < dataFields; ++k) {
        const TxField& f = fields[k];
        out += "    <Field FieldName=\"" + value(f.name) + "\" FieldType=\"" +
               value(FieldTypeNames[f.type]) + "\"";
        if (f.type == xftString) out += " Length=\"" + value(std::to_string(f.size)) + "\"";
        out += " />\r\n";
    }
    out += "   </Fields>\r\n";
    out += "  </XmlHeader>\r\n";
    out += "  <XmlData>\r\n";
    for (const auto& record : m_records) {
        out += "   <Record ";
        for (int k = 0; k < dataFields; ++k) {
            const TxField& f = fields[k];
            const std::string text = valueText(f, record.data(), datePattern);
            if (hasForbiddenControl(text))
                fail("Field '" + f.name + "' holds a control character: write operation failed");
            out += recordAttributeName(f.name) + "=\"" + value(text) + "\" ";
        }
        out += "/>\r\n";
    }
    out += "  </XmlData>\r\n";
    out += " </XmlDataSet>\r\n";
    return out;
}

void TXMLDataSet::writeWholeFile(const std::string& path, const std::string& text) const {
    const int fault = injectedFault(TWriteStep::Create, path);
    std::FILE* out = fault == 0 ? std::fopen(path.c_str(), "wb") : nullptr;
    if (out == nullptr)
        fail("Cannot create file \"" + path + "\". " + std::strerror(fault != 0 ? fault : errno));
    int code = writeWhole(out, path, text);
    if (std::fclose(out) != 0 && code == 0) code = errno;
    if (code != 0) fail("Cannot write file \"" + path + "\". " + std::strerror(code));
}

void TXMLDataSet::SaveToXml() {
    if (!hasFileName()) return;
    if (fileStamp(m_fileName) != m_fileStamp) fail("File changed: write operation failed");
    const std::string text = buildXmlText();  // every refusal comes before the backup
    LazyReadSuspension suspension(*this);

    const std::string backup = backupFileName(m_fileName);
    std::error_code ec;
    const bool hadFile = fs::exists(m_fileName, ec);
    if (hadFile) {
        fs::remove(backup, ec);
        if (ec) fail("Cannot delete the backup file \"" + backup + "\": " + ec.message());
        fs::rename(m_fileName, backup, ec);
        if (ec) fail("Cannot rename \"" + m_fileName + "\" to \"" + backup + "\": " + ec.message());
    }
    try {
        writeWholeFile(m_fileName, text);
    } catch (const std::exception& e) {
        std::error_code ignored;
        fs::remove(m_fileName, ignored);
        if (hadFile) {
            fs::rename(backup, m_fileName, ec);
            if (ec)
                fail(std::string(e.what()) + " The previous file is kept as \"" + backup + "\".");
        }
        fail(e.what());
    }
    m_fileStamp = fileStamp(m_fileName);
    m_writeCount = 0;
}
