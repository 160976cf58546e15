#include "ui/window/TavApplication.h"

#include <QApplication>

#include "ui/window/TavIcons.h"

void configureApplication() {
    QApplication::setApplicationName(QStringLiteral("tav-explorer"));
    QApplication::setDesktopFileName(QStringLiteral("tav-explorer"));
    QApplication::setWindowIcon(applicationIcon());
    QApplication::setQuitOnLastWindowClosed(false);
}
