#include "import/XmlPart.h"

#include <expat.h>

#include <climits>
#include <exception>

#include "core/Errors.h"

namespace {

std::string_view localName(const XML_Char* name) {
    const std::string_view full(name);
    const size_t colon = full.rfind(':');
    return colon == std::string_view::npos ? full : full.substr(colon + 1);
}

struct TParse {
    const TXmlHandlers* handlers = nullptr;
    XML_Parser parser = nullptr;
    bool doctype = false;
    std::exception_ptr error;  // a handler's exception, rethrown after the parser stops
};

// Runs a handler; an exception stops the parser instead of unwinding through expat's C frames.
template <typename Action>
void guarded(TParse& parse, const Action& action) {
    if (parse.error) return;
    try {
        action();
    } catch (...) {
        parse.error = std::current_exception();
        XML_StopParser(parse.parser, XML_FALSE);
    }
}

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto& parse = *static_cast<TParse*>(data);
    if (!parse.handlers->open) return;
    guarded(parse, [&] {
        const auto attribute = [attributes](std::string_view wanted) -> std::string_view {
            for (int i = 0; attributes[i] != nullptr; i += 2) {
                if (localName(attributes[i]) == wanted) return attributes[i + 1];
            }
            return {};
        };
        parse.handlers->open(localName(name), attribute);
    });
}

void XMLCALL onEnd(void* data, const XML_Char* name) {
    auto& parse = *static_cast<TParse*>(data);
    if (!parse.handlers->close) return;
    guarded(parse, [&] { parse.handlers->close(localName(name)); });
}

void XMLCALL onText(void* data, const XML_Char* text, int length) {
    auto& parse = *static_cast<TParse*>(data);
    if (!parse.handlers->text) return;
    guarded(parse, [&] { parse.handlers->text(std::string_view(text, length)); });
}

void XMLCALL onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    auto& parse = *static_cast<TParse*>(data);
    parse.doctype = true;
    XML_StopParser(parse.parser, XML_FALSE);
}

}  // namespace

void parseXmlPart(std::string_view bytes, const TXmlHandlers& handlers, const std::string& partName,
                  const std::string& fileName) {
    XML_Parser parser = XML_ParserCreate("UTF-8");
    if (parser == nullptr) throw EConvertError("Out of memory reading \"" + fileName + "\"");
    TParse parse;
    parse.handlers = &handlers;
    parse.parser = parser;
    XML_SetUserData(parser, &parse);
    XML_SetElementHandler(parser, onStart, onEnd);
    XML_SetCharacterDataHandler(parser, onText);
    XML_SetStartDoctypeDeclHandler(parser, onDoctype);
    XML_Status status = XML_STATUS_OK;
    // expat takes an int length: a large part goes in pieces.
    constexpr size_t kPiece = INT_MAX / 2;
    size_t at = 0;
    do {
        const size_t count = std::min(kPiece, bytes.size() - at);
        const bool last = at + count == bytes.size();
        status = XML_Parse(parser, bytes.data() + at, static_cast<int>(count), last);
        at += count;
    } while (status == XML_STATUS_OK && at < bytes.size());
    const XML_LChar* error = XML_ErrorString(XML_GetErrorCode(parser));
    const std::string reason = error != nullptr ? error : "unknown error";
    const unsigned long line = XML_GetCurrentLineNumber(parser);
    XML_ParserFree(parser);
    if (parse.error) std::rethrow_exception(parse.error);
    const std::string where = "The part \"" + partName + "\" of \"" + fileName + "\"";
    if (parse.doctype) throw EConvertError(where + " has a document type declaration");
    if (status != XML_STATUS_OK) {
        throw EConvertError(where + " is not well-formed XML (line " + std::to_string(line) + ": " +
                            reason + ")");
    }
}
