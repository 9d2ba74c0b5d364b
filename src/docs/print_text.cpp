#include "print_text.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
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

// No text nearer the paper's edge than 10 mm, whatever margins were chosen;
// the extra millimetre is for glyphs that reach a little beyond their line.
constexpr qreal MinimumMarginMm = 11.0;

void keepClearOfEdges(QPrinter& printer)
{
    const QMarginsF m = printer.pageLayout().margins(QPageLayout::Millimeter);
    const auto atLeast = [](qreal v) { return std::max(v, MinimumMarginMm); };
    printer.setPageMargins(
        QMarginsF(atLeast(m.left()), atLeast(m.top()), atLeast(m.right()), atLeast(m.bottom())),
        QPageLayout::Millimeter);
}

// The stretch of the laid-out column each page shows: whole lines only, as
// many as fit in `pageHeight`. The document's own margins ride with its
// first and last line.
QList<QRectF> pageBands(const QTextDocument& text, qreal pageHeight)
{
    QAbstractTextDocumentLayout* layout = text.documentLayout();
    const qreal width = text.textWidth();
    QList<QRectF> bands;
    qreal top = 0, bottom = 0;
    for (QTextBlock block = text.begin(); block.isValid(); block = block.next()) {
        const qreal blockTop = layout->blockBoundingRect(block).top();
        const QTextLayout* lines = block.layout();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            const qreal lineTop = blockTop + line.y(), lineBottom = lineTop + line.height();
            if (lineBottom - top > pageHeight && bottom > top) {
                bands << QRectF(0, top, width, bottom - top);
                top = lineTop;
            }
            bottom = lineBottom;
        }
    }
    bands << QRectF(0, top, width, std::max(bottom - top, 1.0));
    return bands;
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
    keepClearOfEdges(printer);
    QPainter painter;
    if (!painter.begin(&printer))
        return QStringLiteral("the printer could not be started");

    // A copy laid out in one long column the width of the page; the pages
    // are then cut between lines, never through one.
    std::unique_ptr<QTextDocument> text(document.clone());
    text->setDefaultFont(printFont(document.defaultFont()));
    QTextOption wrap = text->defaultTextOption();
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere); // a long word never runs off the page
    text->setDefaultTextOption(wrap);
    text->documentLayout()->setPaintDevice(&printer);
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    text->setTextWidth(page.width());

    const QList<QRectF> bands = pageBands(*text, page.height());
    for (int i = 0; i < bands.size(); ++i) {
        if (i > 0 && !printer.newPage()) {
            painter.end();
            return QStringLiteral("page %1 could not be started").arg(i + 1);
        }
        painter.save();
        painter.translate(0, -bands[i].top());
        painter.setClipRect(bands[i]);
        // The layout also draws a line that only touches the rectangle it is
        // given; one pixel in from each end keeps the neighbours' lines out.
        text->drawContents(&painter, bands[i].adjusted(0, 1, 0, -1));
        painter.restore();
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return QStringLiteral("the print job could not be finished");
    return std::nullopt;
}
