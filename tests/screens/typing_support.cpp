#include "typing_support.h"

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "screens/screen_memo.h"
#include "window_fixture.h"

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
    const int anchorMark = text.indexOf(QLatin1Char('{'));
    text.remove(QLatin1Char('{'));
    const int caret = text.indexOf(QLatin1Char('|'));
    text.remove(QLatin1Char('|'));
    // The anchor mark, when after the caret mark, stood one place further on.
    const int anchor = anchorMark < 0 ? caret : anchorMark > caret ? anchorMark - 1 : anchorMark;
    screen->setPlainText(text);
    QTextCursor c(screen->document());
    c.setPosition(anchor);
    c.setPosition(caret, QTextCursor::KeepAnchor);
    screen->setTextCursor(c);
}

QString markedText(const QPlainTextEdit* screen)
{
    QString text = screen->toPlainText();
    const QTextCursor c = screen->textCursor();
    // The later mark first, so the earlier position stays valid.
    if (c.anchor() > c.position())
        text.insert(c.anchor(), QLatin1Char('{'));
    text.insert(c.position(), QLatin1Char('|'));
    if (c.anchor() < c.position())
        text.insert(c.anchor(), QLatin1Char('{'));
    return text;
}
