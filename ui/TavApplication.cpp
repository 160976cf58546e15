#include "ui/TavApplication.h"

#include <QApplication>

#include "ui/TavIcons.h"

void configureApplication() {
    QApplication::setApplicationName(QStringLiteral("tav-explorer"));
    QApplication::setDesktopFileName(QStringLiteral("tav-explorer"));
    QApplication::setWindowIcon(applicationIcon());
    QApplication::setQuitOnLastWindowClosed(false);
}
