#include "core/FieldTypes.h"

#include "core/CodePage.h"
#include "core/Win1250.h"

namespace {
const char* const kTypeKeywords[] = {"UNKNOWN", "STRING", "SET", "INT", "REAL", "CURRENCY", "DATE"};
}

TFieldType fieldTypeFromText(const std::string& text) {
    const std::string upper = upperCase1250(text);
    for (int code = ftString; code <= ftDate; ++code) {
        if (upper == kTypeKeywords[code]) return static_cast<TFieldType>(code);
    }
    return ftUnknown;
}

std::string fieldTypeToText(int code) {
    return code >= ftString && code <= ftDate ? kTypeKeywords[code] : kTypeKeywords[ftUnknown];
}

bool isCodedType(TFieldType type) {
    return type >= ftSet && type <= ftCurrency;
}

bool isIntervalType(TFieldType type) {
    return type == ftReal || type == ftCurrency;
}

TDataFileKind fileKindFromText(const std::string& text) {
    const std::string upper = upperCase1250(text);
    if (upper.empty()) return dfkFromHeader;
    if (upper == "TXT") return dfkTxt;
    if (upper == "QTX") return dfkQtx;
    if (upper == "FLT") return dfkFlt;
    if (upper == "ASP") return dfkAsp;
    if (upper == "XML") return dfkXml;
    return dfkNone;
}

std::string fileKindToText(TDataFileKind kind) {
    switch (kind) {
        case dfkTxt:
            return "TXT";
        case dfkQtx:
            return "QTX";
        case dfkFlt:
            return "FLT";
        case dfkAsp:
            return "ASP";
        case dfkXml:
            return "XML";
        default:
            return "";
    }
}

CodePageId codePageFromText(const std::string& text) {
    const std::string upper = upperCase1250(text);
    if (upper == "LAT1") return cp8859_1;
    if (upper == "LAT2") return cp8859_2;
    if (upper == "437") return cp437;
    if (upper == "1250") return cp1250;
    if (upper == "852") return cp852;
    return cpUnknown;
}

std::string lowerBoundText(const std::string& valueName) {
    if (valueName.rfind(" > ", 0) == 0) return valueName.substr(3);
    const size_t dash = valueName.find(" - ");
    if (dash != std::string::npos) return valueName.substr(0, dash);
    return valueName;
}
