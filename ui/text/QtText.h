#pragma once

#include <QString>
#include <string>

// The program's text is Windows-1250; Qt's is Unicode. These convert at that boundary only.

// A Windows-1250 text of the program as a Qt string.
QString qtText(const std::string& text1250);
// A Qt string as the program's Windows-1250 text.
std::string text1250(const QString& text);
