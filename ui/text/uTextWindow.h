#pragma once

#include <QColor>
#include <QDialog>
#include <QRect>
#include <string>

class QPlainTextEdit;
class QPushButton;

// Where a text window relative to an owner at `owner` goes: centred horizontally, three quarters
// as wide, 90 % as high, starting 5 % of the owner's height below its top.
QRect relativeTextWindowGeometry(const QRect& owner);

// The modal, read-only text window of ShowTextWindow, built at run time: a text box that
// scrolls both ways without wrapping, and an "&OK" button on a panel at the bottom. Escape
// closes it as the cancel button would.
class TfrmTextWindow : public QDialog {
    Q_OBJECT
  public:
    TfrmTextWindow(QWidget* owner, const std::string& caption, const std::string& text,
                   const std::string& fontName, const QColor& textColor,
                   const QColor& backgroundColor);

    QPlainTextEdit* textBox() const { return m_text; }
    QPushButton* okButton() const { return m_ok; }

  private:
    QPlainTextEdit* m_text;
    QPushButton* m_ok;
};

// Shows `text` (Windows-1250, CR LF lines) modally and returns when the user closes the window.
// With `relative` the window is placed over `owner` (relativeTextWindowGeometry), else at left,
// top with width and height. It cannot be made smaller than 320 x 240 pixels.
void ShowTextWindow(QWidget* owner, const std::string& caption, const std::string& text,
                    const std::string& fontName, int height, int width, int left, int top,
                    bool relative, const QColor& textColor, const QColor& backgroundColor);
