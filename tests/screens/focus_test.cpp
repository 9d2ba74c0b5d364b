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
    void screenInUse_data();
    void screenInUse();
};

void FocusTest::screenInUse_data()
{
    QTest::addColumn<int>("screenMode");
    QTest::addColumn<QString>("action"); // "focus": FocusTypingScreen; "click" / "press" on the screen
    QTest::addColumn<bool>("transmit");  // the screen that must end in use

    QTest::newRow("focus, dual screen: the transmit screen") << 2 << "focus" << true;
    QTest::newRow("focus, single screen: the receive screen") << 1 << "focus" << false;
    QTest::newRow("focus, any other mode counts as single") << 0 << "focus" << false;
    QTest::newRow("click on the receive screen") << 2 << "click" << false;
    QTest::newRow("right mouse down on the receive screen") << 2 << "press" << false;
    QTest::newRow("click on the transmit screen") << 1 << "click" << true;
    QTest::newRow("right mouse down on the transmit screen") << 1 << "press" << true;
}

void FocusTest::screenInUse()
{
    QFETCH(int, screenMode);
    QFETCH(QString, action);
    QFETCH(bool, transmit);
    WindowFixture f;
    f.show();
    for (TScreenMemo* s : {Ferrow->ReceiveScreen, Ferrow->TransmitScreen}) {
        s->setPlainText(QStringLiteral("first line\nsecond line\nthird"));
        QTextCursor c = s->textCursor();
        c.setPosition(4); // the operator clicked into the middle
        s->setTextCursor(c);
    }
    G.ActiveScreen = transmit ? 0 : 1; // the operator last worked in the other screen
    G.ScreenMode = screenMode;
    TScreenMemo* target = transmit ? Ferrow->TransmitScreen : Ferrow->ReceiveScreen;
    TScreenMemo* other = transmit ? Ferrow->ReceiveScreen : Ferrow->TransmitScreen;

    if (action == "focus")
        Ferrow->FocusTypingScreen();
    else if (action == "click")
        QTest::mouseClick(target->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    else
        QTest::mousePress(target->viewport(), Qt::RightButton, {}, QPoint(10, 10));

    QCOMPARE(G.ActiveScreen, transmit ? 1 : 0);
    QTRY_VERIFY(target->hasFocus());
    QCOMPARE(other->textCursor().position(), 4);
    if (action == "focus")
        QVERIFY(target->textCursor().atEnd());
}

QTEST_MAIN(FocusTest)
#include "focus_test.moc"
