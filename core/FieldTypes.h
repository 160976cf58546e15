#pragma once

#include <string>

#include "core/CodePage.h"

// Field type codes of the data table.
enum TFieldType : int {
    ftUnknown = 0,
    ftString = 1,
    ftSet = 2,
    ftInt = 3,
    ftReal = 4,
    ftCurrency = 5,
    ftDate = 6,
};

// Data file kinds: how a line is split into values.
enum TDataFileKind : int {
    dfkNone = 0,        // any other keyword: no values
    dfkFromHeader = 1,  // an empty item; as an argument: take kind and code page from the header
    dfkTxt = 2,         // separated by ";"
    dfkQtx = 3,         // comma text
    dfkFlt = 4,         // fixed-width columns
    dfkAsp = 5,         // no values
    dfkXml = 6,         // no values
};

// The type code of a type keyword, compared without regard to case; ftUnknown for any other text.
TFieldType fieldTypeFromText(const std::string& text);

// The keyword of a type code; "UNKNOWN" for 0 and any code outside 1..6.
std::string fieldTypeToText(int code);

// Whether fields of the type get value codes (SET, INT, REAL, CURRENCY).
bool isCodedType(TFieldType type);

// Whether the type codes its values by intervals (REAL, CURRENCY).
bool isIntervalType(TFieldType type);

// The file kind of a header keyword, compared after upper-casing.
TDataFileKind fileKindFromText(const std::string& text);

// The keyword of a file kind, for messages ("" for the empty item).
std::string fileKindToText(TDataFileKind kind);

// The code page id of a header keyword ("LAT1", "LAT2", "437", "1250", "852"), compared after
// upper-casing; 0 (Unknown) for any other text.
CodePageId codePageFromText(const std::string& text);

// The lower bound in a value name of an interval: the text after " > ", the text before the first
// " - " (with its leading blank), or the name unchanged.
std::string lowerBoundText(const std::string& valueName);
