#include "typing_support.h"

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "screens/screen_memo.h"
#include "window_fixture.h"

#include <QTest>
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

void typeKeys(QWidget* target, const QString& keys)
{
    // Name, key and the text a real keyboard puts into the event.
    static const QList<std::tuple<QString, Qt::Key, QString>> names{
        {"Enter", Qt::Key_Return, "\r"}, {"BS", Qt::Key_Backspace, "\b"}, {"Tab", Qt::Key_Tab, "\t"},
        {"Esc", Qt::Key_Escape, "\x1b"}, {"F1", Qt::Key_F1, ""},          {"F2", Qt::Key_F2, ""},
        {"F3", Qt::Key_F3, ""},          {"Left", Qt::Key_Left, ""},      {"Del", Qt::Key_Delete, "\x7f"},
        {"Ins", Qt::Key_Insert, ""},     {"Ctrl", Qt::Key_Control, ""},   {"Backtab", Qt::Key_Backtab, ""}};
    for (QString token : keys.split(' ', Qt::SkipEmptyParts)) {
        const QChar how = token.size() > 1 && QString("~!&").contains(token[0]) ? token[0] : QChar();
        token.remove(0, how.isNull() ? 0 : 1);
        Qt::KeyboardModifiers modifiers;
        for (; token.size() > 1 && QString("^+@").contains(token[0]); token.remove(0, 1))
            modifiers |= token[0] == '^' ? Qt::ControlModifier
                : token[0] == '+'        ? Qt::ShiftModifier
                                         : Qt::AltModifier;
        // Qt names a letter key by its capital; other keys by their character.
        Qt::Key key = Qt::Key(token[0].toUpper().unicode());
        QString text = token;
        for (const auto& [name, k, t] : names)
            if (token == '<' + name + '>')
                std::tie(key, text) = std::pair(k, t);
        QVERIFY2(token.size() == 1 || text != token, qPrintable("unknown key " + token));
        if (modifiers & Qt::ControlModifier && key >= Qt::Key_A && key <= Qt::Key_Z)
            text = QChar(key - Qt::Key_A + 1); // as a real keyboard reports Ctrl+letter
        if (how == '&') {
            for (QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
                QKeyEvent e(type, key, modifiers, text, true);
                QCoreApplication::sendEvent(target, &e);
            }
        } else {
            const auto action = how == '~' ? QTest::Release : how == '!' ? QTest::Press : QTest::Click;
            QTest::sendKeyEvent(action, target, key, text, modifiers);
        }
    }
}

void setMarkedText(QPlainTextEdit* screen, const QString& marked)
{
    QString text = marked;
    const int anchorMark = text.indexOf('{');
    text.remove('{');
    const int caret = text.indexOf('|');
    text.remove('|');
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
        text.insert(c.anchor(), '{');
    text.insert(c.position(), '|');
    if (c.anchor() < c.position())
        text.insert(c.anchor(), '{');
    return text;
}
