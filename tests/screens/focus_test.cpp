// Handing the keyboard back to the typing screen, and which screen counts as
// the one in use after clicks.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "screens/screen_memo.h"
#include "window_fixture.h"

#include <QTest>

class FocusTest : public QObject {
    Q_OBJECT
private slots:
    void focusTypingScreen_data();
    void focusTypingScreen();
    void clicksChooseTheScreenInUse_data();
    void clicksChooseTheScreenInUse();
};

void FocusTest::focusTypingScreen_data()
{
    QTest::addColumn<int>("screenMode");
    QTest::addColumn<bool>("transmitTypes");
    QTest::newRow("dual screen: the transmit screen") << 2 << true;
    QTest::newRow("single screen: the receive screen") << 1 << false;
    QTest::newRow("any other mode counts as single") << 0 << false;
}

void FocusTest::focusTypingScreen()
{
    QFETCH(int, screenMode);
    QFETCH(bool, transmitTypes);
    WindowFixture f;
    f.show();
    for (TScreenMemo* s : {Ferrow->ReceiveScreen, Ferrow->TransmitScreen}) {
        s->setPlainText(QStringLiteral("first line\nsecond line\nthird"));
        QTextCursor c = s->textCursor();
        c.setPosition(4); // the operator clicked into the middle
        s->setTextCursor(c);
    }
    // The operator last worked in the other screen.
    if (transmitTypes)
        Ferrow->ReceiveScreenClick();
    else
        Ferrow->TransmitScreenClick();
    G.ScreenMode = screenMode;

    Ferrow->FocusTypingScreen();

    TScreenMemo* typing = transmitTypes ? Ferrow->TransmitScreen : Ferrow->ReceiveScreen;
    TScreenMemo* other = transmitTypes ? Ferrow->ReceiveScreen : Ferrow->TransmitScreen;
    QCOMPARE(typing->textCursor().position(), typing->document()->characterCount() - 1);
    QCOMPARE(other->textCursor().position(), 4);
    QCOMPARE(G.ActiveScreen, transmitTypes ? 1 : 0);
    QTRY_VERIFY(typing->hasFocus());
}

void FocusTest::clicksChooseTheScreenInUse_data()
{
    QTest::addColumn<bool>("onTransmit");
    QTest::addColumn<bool>("pressOnly");
    QTest::newRow("click on the receive screen") << false << false;
    QTest::newRow("mouse down on the receive screen") << false << true;
    QTest::newRow("click on the transmit screen") << true << false;
    QTest::newRow("mouse down on the transmit screen") << true << true;
}

void FocusTest::clicksChooseTheScreenInUse()
{
    QFETCH(bool, onTransmit);
    QFETCH(bool, pressOnly);
    WindowFixture f;
    f.show();
    G.ActiveScreen = onTransmit ? 0 : 1;
    TScreenMemo* target = onTransmit ? Ferrow->TransmitScreen : Ferrow->ReceiveScreen;
    if (pressOnly)
        QTest::mousePress(target->viewport(), Qt::RightButton, {}, QPoint(10, 10));
    else
        QTest::mouseClick(target->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(G.ActiveScreen, onTransmit ? 1 : 0);
    QTRY_VERIFY(target->hasFocus());
}

QTEST_MAIN(FocusTest)
#include "focus_test.moc"
