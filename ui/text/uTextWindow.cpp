#include "ui/text/uTextWindow.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "ui/text/QtText.h"

QRect relativeTextWindowGeometry(const QRect& owner) {
    const auto round = [](double x) { return static_cast<int>(std::lround(x)); };
    const int top = round(owner.top() + 0.05 * owner.height());
    const int height = round(0.9 * owner.height());
    const int width = round(0.75 * owner.width());
    const int left = round(owner.left() + 0.125 * owner.width());
    return QRect(left, top, width, height);
}

TfrmTextWindow::TfrmTextWindow(QWidget* owner, const std::string& caption, const std::string& text,
                               const std::string& fontName, const QColor& textColor,
                               const QColor& backgroundColor)
    : QDialog(owner) {
    setObjectName(QStringLiteral("frmTextWindow"));
    setWindowTitle(qtText(caption));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setMinimumSize(320, 240);
    setSizeGripEnabled(true);

    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    if (!fontName.empty()) {
        QFont font = m_text->font();
        font.setFamily(qtText(fontName));
        m_text->setFont(font);
    }
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::Base, backgroundColor);
    palette.setColor(QPalette::Text, textColor);
    m_text->setPalette(palette);
    QString content = qtText(text);
    content.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text->setPlainText(content);

    // The panel at the bottom: the OK button at its right, its right margin equal to its top.
    auto* panel = new QWidget(this);
    auto* panelLayout = new QHBoxLayout(panel);
    m_ok = new QPushButton(QStringLiteral("&OK"), panel);
    m_ok->setDefault(true);
    m_ok->setAutoDefault(true);
    panelLayout->setContentsMargins(8, 8, 8, 8);
    panelLayout->addStretch(1);
    panelLayout->addWidget(m_ok);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_text, 1);
    layout->addWidget(panel);
    m_ok->setFocus();
}

void ShowTextWindow(QWidget* owner, const std::string& caption, const std::string& text,
                    const std::string& fontName, int height, int width, int left, int top,
                    bool relative, const QColor& textColor, const QColor& backgroundColor) {
    TfrmTextWindow window(owner, caption, text, fontName, textColor, backgroundColor);
    QRect place(left, top, width, height);
    if (relative && owner != nullptr) place = relativeTextWindowGeometry(owner->frameGeometry());
    window.move(place.topLeft());
    window.resize(std::max(place.width(), 320), std::max(place.height(), 240));
    window.exec();
}
