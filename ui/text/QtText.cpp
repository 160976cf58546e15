#include "ui/text/QtText.h"

#include "core/Win1250.h"

QString qtText(const std::string& text1250) {
    return QString::fromStdString(win1250ToUtf8(text1250));
}

std::string text1250(const QString& text) {
    return utf8ToWin1250(text.toStdString());
}
