#pragma once

#include <string>

// The report page (session/ReportHtml.h) as a PDF through Qt's PDF writer. Qt's rich text cannot
// draw SVG, and the program does without the SVG module: each inline picture is drawn again with
// QPainter from the few shapes the report's pictures use (line, circle, polyline, text) and put
// in the page as an image, so the PDF shows the same content as the HTML.

// The PDF of the XHTML report `html` (UTF-8), A4, as bytes.
std::string reportPdfBytes(const std::string& html);

// Writes the PDF of `html` through replaceFileWhole. Throws EInOutError naming the file.
void writeReportPdf(const std::string& html, const std::string& path);
