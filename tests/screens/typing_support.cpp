#include "typing_support.h"

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "screens/screen_memo.h"
#include "window_fixture.h"

#include <QPlainTextEdit>
#include <QTextCursor>

void startTyping(WindowFixture& f, int screenMode, int sendMode, int editXmitMode)
{
    f.show();
    openFakePort(1);
    G.ScreenMode = screenMode;
    G.SendMode = sendMode;
    G.EditXmitMode = quint8(editXmitMode);
    Ferrow->TransmitScreen->clear();
    Ferrow->ReceiveScreen->clear();
    (screenMode == 2 ? Ferrow->TransmitScreen : Ferrow->ReceiveScreen)->setFocus();
    f.transcript.clear();
}

void setMarkedText(QPlainTextEdit* screen, const QString& marked)
{
    QString text = marked;
    const int caretMark = text.indexOf(QLatin1Char('|'));
    Q_ASSERT(caretMark >= 0);
    int anchor = text.indexOf(QLatin1Char('{'));
    int caret = caretMark;
    if (anchor >= 0) {
        if (anchor < caret)
            --caret;
        else
            --anchor;
        text.remove(QLatin1Char('{'));
    }
    text.remove(QLatin1Char('|'));
    screen->setPlainText(text);
    QTextCursor c(screen->document());
    c.setPosition(anchor >= 0 ? anchor : caret);
    c.setPosition(caret, QTextCursor::KeepAnchor);
    screen->setTextCursor(c);
}

QString markedText(const QPlainTextEdit* screen)
{
    QString text = screen->toPlainText();
    const QTextCursor c = screen->textCursor();
    const int caret = c.position();
    const int anchor = c.anchor();
    // Insert the later mark first so the earlier position stays valid.
    if (anchor != caret && anchor > caret)
        text.insert(anchor, QLatin1Char('{'));
    text.insert(caret, QLatin1Char('|'));
    if (anchor != caret && anchor < caret)
        text.insert(anchor, QLatin1Char('{'));
    return text;
}

QByteArray heldLine()
{
    return QByteArray(G.LineBuffer.bytes, G.LineIndex);
}
