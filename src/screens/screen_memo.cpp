#include "screen_memo.h"

#include <QMouseEvent>
#include <QTextCursor>

TScreenMemo::TScreenMemo(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(false);
}

void TScreenMemo::receiveBytes(const QByteArray& bytes)
{
    QByteArray text = bytes;
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(QString::fromLatin1(text));
}

void TScreenMemo::moveCaretToEnd()
{
    QTextCursor c = textCursor();
    c.movePosition(QTextCursor::End);
    setTextCursor(c);
}

void TScreenMemo::mousePressEvent(QMouseEvent* event)
{
    QPlainTextEdit::mousePressEvent(event);
    pressed_ = true;
    if (OnMouseDown)
        OnMouseDown();
}

void TScreenMemo::mouseReleaseEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    // A click is a press and a release on the same screen.
    if (pressed_ && rect().contains(event->position().toPoint()) && OnClick)
        OnClick();
    pressed_ = false;
}
