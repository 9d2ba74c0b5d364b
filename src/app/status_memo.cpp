#include "status_memo.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace {

bool lastLineEmpty(const QPlainTextEdit* memo)
{
    return memo->document()->lastBlock().length() <= 1;
}

} // namespace

QByteArray onItsOwnLine(const QPlainTextEdit* memo, const QByteArray& text)
{
    const bool startsWithBreak = text.startsWith('\r') || text.startsWith('\n');
    if (!lastLineEmpty(memo))
        return startsWithBreak ? text : "\r" + text;
    if (!startsWithBreak)
        return text;
    return text.mid(text.startsWith("\r\n") ? 2 : 1);
}

void appendTraceLine(QPlainTextEdit* memo, const QString& line)
{
    QScrollBar* bar = memo->verticalScrollBar();
    const bool atBottom = bar->value() == bar->maximum();
    QTextCursor end(memo->document());
    end.movePosition(QTextCursor::End);
    end.insertText(lastLineEmpty(memo) ? line : QLatin1Char('\n') + line);
    if (atBottom)
        bar->setValue(bar->maximum());
}
