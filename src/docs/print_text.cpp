#include "print_text.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>

#include <memory>

namespace {

QFont printFont(QFont font)
{
    if (font.pointSizeF() <= 0 && font.pixelSize() > 0)
        font.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
    return font;
}

// The PDF writer cannot tell why it failed to start; opening the file
// ourselves can.
std::optional<QString> outputFileProblem(const QPrinter& printer)
{
    if (printer.outputFileName().isEmpty())
        return std::nullopt;
    QFile probe(printer.outputFileName());
    if (!probe.open(QIODevice::WriteOnly))
        return probe.errorString();
    return std::nullopt;
}

} // namespace

QString printTarget(const QPrinter& printer)
{
    if (!printer.outputFileName().isEmpty())
        return printer.outputFileName();
    return printer.printerName().isEmpty() ? QStringLiteral("the printer") : printer.printerName();
}

std::optional<QString> printDocument(const QTextDocument& document, QPrinter& printer)
{
    if (auto problem = outputFileProblem(printer))
        return problem;
    QPainter painter;
    if (!painter.begin(&printer))
        return QStringLiteral("the printer could not be started");

    // Lay a copy out on the printer's page so lines are never cut between pages.
    std::unique_ptr<QTextDocument> pages(document.clone());
    pages->setDefaultFont(printFont(document.defaultFont()));
    pages->documentLayout()->setPaintDevice(&printer);
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    pages->setPageSize(page.size());

    const int count = pages->pageCount();
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !printer.newPage()) {
            painter.end();
            return QStringLiteral("page %1 could not be started").arg(i + 1);
        }
        const QRectF area(0, i * page.height(), page.width(), page.height());
        painter.save();
        painter.translate(0, -area.top());
        pages->drawContents(&painter, area);
        painter.restore();
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return QStringLiteral("the print job could not be finished");
    return std::nullopt;
}
