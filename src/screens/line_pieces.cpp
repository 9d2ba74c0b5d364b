#include "line_pieces.h"

#include <QTextCursor>
#include <QTextDocument>

QString lineTextBetween(const QTextDocument& document, int start, int end)
{
    QString text;
    if (end <= start)
        return text;
    text.reserve(end - start);
    QTextBlock block = document.findBlock(start);
    for (bool first = true; block.isValid() && block.position() <= end; block = block.next(), first = false) {
        if (!first && !continuesLine(block))
            text += QLatin1Char('\n');
        const int from = qMax(start, block.position()) - block.position();
        const int to = qMin(end, block.position() + block.length() - 1) - block.position();
        if (to > from)
            text += QStringView(block.text()).mid(from, to - from);
    }
    text.replace(QChar::Nbsp, QLatin1Char(' '));
    return text;
}

void markContinuing(QTextCursor& at, bool continuing)
{
    if (continuesLine(at.block()) == continuing)
        return;
    QTextBlockFormat format = at.blockFormat();
    if (continuing)
        format.setProperty(ContinuedLineProperty, true);
    else
        format.clearProperty(ContinuedLineProperty);
    at.setBlockFormat(format);
}

void deletePreviousCharacter(QTextCursor& at)
{
    while (at.atBlockStart()) {
        const QTextBlock before = at.block().previous();
        if (!before.isValid())
            return;
        const bool wasPiece = continuesLine(at.block());
        const bool beforeContinues = continuesLine(before);
        at.deletePreviousChar();
        // The joined paragraph keeps the place of the one before.
        markContinuing(at, beforeContinues);
        if (!wasPiece)
            return;
    }
    at.deletePreviousChar();
}
