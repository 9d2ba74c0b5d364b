#include "clipboard_insert.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTextCursor>

void insertThroughClipboard(QPlainTextEdit* scratch, QPlainTextEdit* target, const QByteArray& text)
{
    const QString latin1 = QString::fromLatin1(text);
    scratch->clear();
    scratch->setPlainText(latin1);
    scratch->selectAll();
    scratch->copy();
    scratch->clear();

    QString lines = latin1;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QTextCursor caret = target->textCursor();
    caret.insertText(lines);
    target->setTextCursor(caret);
}

void emptyClipboard()
{
    QGuiApplication::clipboard()->clear();
}
