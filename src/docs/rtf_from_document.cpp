#include "rtf_from_document.h"

#include <QBrush>
#include <QFont>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextFragment>

namespace {

RtfAlignment alignmentOf(Qt::Alignment a)
{
    if (a & Qt::AlignHCenter)
        return RtfAlignment::Center;
    if (a & Qt::AlignRight)
        return RtfAlignment::Right;
    if (a & Qt::AlignJustify)
        return RtfAlignment::Justify;
    return RtfAlignment::Left;
}

RtfRun runOf(const QTextFragment& fragment, const QFont& base)
{
    const QTextCharFormat format = fragment.charFormat();
    const QFont font = format.font().resolve(base);
    RtfRun run;
    run.text = fragment.text();
    run.text.remove(QChar::ObjectReplacementCharacter);
    run.family = font.family();
    run.halfPoints = halfPointsOf(font);
    if (format.foreground().style() != Qt::NoBrush)
        run.color = format.foreground().color().rgb() & 0xFFFFFF;
    run.bold = font.bold();
    run.italic = font.italic();
    run.underline = font.underline();
    run.strikeOut = font.strikeOut();
    return run;
}

} // namespace

int halfPointsOf(const QFont& font)
{
    if (font.pointSizeF() > 0)
        return qRound(font.pointSizeF() * 2);
    if (font.pixelSize() > 0)
        return 2 * qRound(font.pixelSize() * 72.0 / 96.0);
    return 24;
}

RtfDocument rtfDocumentOf(const QTextDocument& document)
{
    const QFont base = document.defaultFont();
    RtfDocument out;
    out.defaultFamily = base.family();
    out.defaultHalfPoints = halfPointsOf(base);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        RtfParagraph paragraph;
        paragraph.alignment = alignmentOf(block.blockFormat().alignment());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid() && !fragment.charFormat().isImageFormat())
                paragraph.runs << runOf(fragment, base);
        }
        out.paragraphs << paragraph;
    }
    return out;
}
