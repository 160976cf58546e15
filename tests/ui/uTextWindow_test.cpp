#include "ui/text/uTextWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

TEST(TextWindow, RelativePlacementCoversTheOwnersMiddle) {
    EXPECT_EQ(relativeTextWindowGeometry(QRect(0, 0, 1000, 800)), QRect(125, 40, 750, 720));
    EXPECT_EQ(relativeTextWindowGeometry(QRect(10, 20, 333, 111)), QRect(52, 26, 250, 100));
}

TEST(TextWindow, ShowsReadOnlyTextThatScrollsInsteadOfWrapping) {
    const std::string wide(400, 'x');
    TfrmTextWindow window(nullptr, "Caption", "first line\r\n" + wide, "Verdana", Qt::black,
                          Qt::white);
    window.resize(400, 300);
    window.show();
    QApplication::processEvents();
    QPlainTextEdit* text = window.textBox();
    EXPECT_EQ(window.windowTitle(), "Caption");
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_EQ(text->toPlainText(), QString::fromStdString("first line\n" + wide));
    EXPECT_EQ(text->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_TRUE(text->horizontalScrollBar()->isVisible());
    EXPECT_EQ(text->font().family(), "Verdana");
    EXPECT_EQ(text->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(text->palette().color(QPalette::Text), QColor(Qt::black));
    EXPECT_TRUE(window.okButton()->isDefault());
    EXPECT_EQ(window.minimumSize(), QSize(320, 240));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);

    // Escape closes the window as its cancel button would.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&window, &escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Rejected);
}

TEST(TextWindow, ShowTextWindowIsModalAndPlacedWhereAsked) {
    QRect placed;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        QWidget* window = QApplication::activeModalWidget();
        ASSERT_NE(window, nullptr);
        modal = true;
        placed = QRect(window->pos(), window->size());
        static_cast<TfrmTextWindow*>(window)->okButton()->click();
    });
    ShowTextWindow(nullptr, "About", "text", "", 400, 500, 100, 100, false, Qt::black, Qt::white);
    EXPECT_TRUE(modal);
    EXPECT_EQ(placed, QRect(100, 100, 500, 400));
}
