#pragma once

#include <functional>
#include <string>
#include <string_view>

// The XML parts of a workbook read with expat, element by element. Names lose their namespace
// prefix ("x:row" is "row", "r:id" is "id"): a workbook's parts use one vocabulary each.

// What a part's reader wants to see. `attribute(name)` gives an attribute of the element being
// opened, or "" when it has none of that name.
struct TXmlHandlers {
    std::function<void(std::string_view element,
                       const std::function<std::string_view(std::string_view)>& attribute)>
        open;
    std::function<void(std::string_view element)> close;
    std::function<void(std::string_view text)> text;  // character data, possibly in pieces
};

// Parses `bytes`. Throws EConvertError naming `partName` of `fileName` for XML that is not well
// formed and for a document type declaration, which no workbook part has (and which could make a
// small part expand without bound).
void parseXmlPart(std::string_view bytes, const TXmlHandlers& handlers, const std::string& partName,
                  const std::string& fileName);
