#include "ui/report/ReportPdf.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPolygonF>
#include <QTextDocument>
#include <QUrl>
#include <QXmlStreamReader>
#include <vector>

#include "core/Errors.h"
#include "core/FileReplace.h"
#include "core/uTavObj.h"

namespace {

// Pictures are drawn at twice their size, so that they stay sharp in print.
constexpr double kScale = 2.0;

double number(const QXmlStreamAttributes& attributes, const char* name) {
    return attributes.value(QLatin1String(name)).toDouble();
}

// "stroke:#1f4fbf;stroke-width:2" as a pen.
QPen penOf(const QXmlStreamAttributes& attributes) {
    QPen pen(Qt::black);
    pen.setWidthF(kScale);
    const QString style = attributes.value(QLatin1String("style")).toString();
    for (const QString& item : style.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString key = item.section(QLatin1Char(':'), 0, 0).trimmed();
        const QString value = item.section(QLatin1Char(':'), 1).trimmed();
        if (key == QLatin1String("stroke")) pen.setColor(QColor(value));
        if (key == QLatin1String("stroke-width")) pen.setWidthF(value.toDouble() * kScale);
        if (key == QLatin1String("stroke-dasharray")) pen.setStyle(Qt::DashLine);
        if (key == QLatin1String("stroke-opacity")) {
            QColor colour = pen.color();
            colour.setAlphaF(static_cast<float>(value.toDouble()));
            pen.setColor(colour);
        }
    }
    if (attributes.hasAttribute(QLatin1String("stroke")))
        pen.setColor(QColor(attributes.value(QLatin1String("stroke")).toString()));
    return pen;
}

// One SVG picture of the report drawn into an image.
QImage drawSvg(const QString& svg) {
    QXmlStreamReader reader(svg);
    QImage image;
    QPainter painter;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement) continue;
        const QXmlStreamAttributes a = reader.attributes();
        const QStringView name = reader.name();
        if (name == QLatin1String("svg")) {
            image = QImage(static_cast<int>(number(a, "width") * kScale),
                           static_cast<int>(number(a, "height") * kScale),
                           QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::white);
            painter.begin(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(kScale, kScale);
        } else if (!painter.isActive()) {
            continue;
        } else if (name == QLatin1String("line")) {
            QPen pen = penOf(a);
            pen.setWidthF(pen.widthF() / kScale);
            painter.setPen(pen);
            painter.drawLine(QPointF(number(a, "x1"), number(a, "y1")),
                             QPointF(number(a, "x2"), number(a, "y2")));
        } else if (name == QLatin1String("circle")) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(a.value(QLatin1String("fill")).toString()));
            const double r = number(a, "r");
            painter.drawEllipse(QPointF(number(a, "cx"), number(a, "cy")), r, r);
        } else if (name == QLatin1String("polyline")) {
            QPolygonF polygon;
            const QString points = a.value(QLatin1String("points")).toString();
            for (const QString& point : points.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                polygon << QPointF(point.section(QLatin1Char(','), 0, 0).toDouble(),
                                   point.section(QLatin1Char(','), 1, 1).toDouble());
            QPen pen = penOf(a);
            pen.setWidthF(1);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawPolyline(polygon);
        } else if (name == QLatin1String("text")) {
            const double x = number(a, "x");
            const double y = number(a, "y");
            const QString anchor = a.value(QLatin1String("text-anchor")).toString();
            const QString text = reader.readElementText();
            QFont font(QStringLiteral("Sans Serif"));
            font.setPixelSize(11);
            painter.setFont(font);
            painter.setPen(Qt::black);
            const double width = painter.fontMetrics().horizontalAdvance(text);
            const double left = anchor == QLatin1String("end")      ? x - width
                                : anchor == QLatin1String("middle") ? x - width / 2
                                                                    : x;
            painter.drawText(QPointF(left, y), text);
        }
    }
    if (painter.isActive()) painter.end();
    return image;
}

}  // namespace

std::string reportPdfBytes(const std::string& html) {
    QString text = QString::fromUtf8(html.data(), static_cast<qsizetype>(html.size()));
    // Qt's rich text reads HTML, not XML: the prolog would show as text.
    if (text.startsWith(QLatin1String("<?xml")))
        text = text.mid(text.indexOf(QLatin1Char('>')) + 1);
    QTextDocument document;
    int picture = 0;
    for (qsizetype start = text.indexOf(QLatin1String("<svg")); start >= 0;
         start = text.indexOf(QLatin1String("<svg"), start)) {
        const qsizetype end = text.indexOf(QLatin1String("</svg>"), start);
        if (end < 0) break;
        const qsizetype length = end + 6 - start;
        const QImage image = drawSvg(text.mid(start, length));
        const QString url = QStringLiteral("picture%1.png").arg(++picture);
        document.addResource(QTextDocument::ImageResource, QUrl(url), image);
        const QString img = QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%3\"/>")
                                .arg(url)
                                .arg(static_cast<int>(image.width() / kScale))
                                .arg(static_cast<int>(image.height() / kScale));
        text.replace(start, length, img);
        start += img.size();
    }
    document.setHtml(text);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setTitle(QStringLiteral("Tav Explorer report"));
        document.print(&writer);
    }
    return bytes.toStdString();
}

void writeReportPdf(const std::string& html, const std::string& path) {
    const std::string bytes = reportPdfBytes(html);
    try {
        replaceFileWhole(path, bytes);
    } catch (const EInOutError& error) {
        throw EInOutError("The report \"" + displayPath(path) +
                          "\" could not be written: " + error.what());
    }
}
