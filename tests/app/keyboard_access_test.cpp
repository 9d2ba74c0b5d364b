// An operator without a mouse: a whole walk through the main window by key events alone, Escape and Enter
// in the setup windows, and every window checked for a title that fits, menu accelerators and names a
// screen reader can speak; the status area's readability and its success lines.

#include "app/combo_box.h"
#include "app/ferrow.h"
#include "app/forms.h"
#include "app/production_seams.h"
#include "app/state.h"
#include "broadcast/bc_form.h"
#include "docs/about_form.h"
#include "link/comm_config_dialog.h"
#include "link/function_form.h"
#include "link/station_form.h"
#include "link/tnc_close_form.h"
#include "link/tnc_setup_form.h"
#include "screens/screen_memo.h"
#include "screens/send_data_dialog.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

namespace {

// The widget a key goes to: an open menu or list, else the one with the focus.
QWidget* keyTarget()
{
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup->focusWidget() ? popup->focusWidget() : popup;
    return QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
}

void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {})
{
    QWidget* target = keyTarget();
    QVERIFY(target);
    QTest::keyClick(target, k, modifiers);
}

void type(const QString& text)
{
    QTest::keyClicks(keyTarget(), text);
}

// Tab until `control` has the focus, at most once round a window.
void tabTo(const QWidget* control)
{
    for (int i = 0; i < 24 && QApplication::focusWidget() != control; ++i)
        key(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), control);
}

QString lastStatusLine()
{
    return Ferrow->LogScreen->document()->lastBlock().text();
}

// A title needs its text and room for the title bar's icon and buttons.
constexpr int TitleBarRoom = 96;

} // namespace

class KeyboardAccessTest : public QObject {
    Q_OBJECT
private slots:
    void walk();
    void closeKeys_data();
    void closeKeys();
    void windows_data();
    void windows();
    void statusLines_data();
    void statusLines();
    void readability_data();
    void readability();
};

void KeyboardAccessTest::walk()
{
    WindowFixture f;
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(Ferrow));
    QCOMPARE(QApplication::focusWidget(), Ferrow->TransmitScreen);
    const QString typed = Ferrow->TransmitScreen->toPlainText();

    // Options > Port Setup > COM1: the status area names the device opened.
    key(Qt::Key_O, Qt::AltModifier);
    QCOMPARE(QApplication::activePopupWidget(), Ferrow->Options1);
    key(Qt::Key_P);
    key(Qt::Key_1);
    QVERIFY(Ferrow->Comm11->isChecked());
    QCOMPARE(lastStatusLine().section(',', 0, 0), "COM1 (" + Ferrow->comPortPath(1) + ") open");

    // Options > Command Setup > Connect Commands; a station stored from the keyboard; Escape closes.
    key(Qt::Key_O, Qt::AltModifier);
    key(Qt::Key_C);
    key(Qt::Key_C);
    QVERIFY(QTest::qWaitForWindowActive(StationForm));
    tabTo(StationForm->Edit_Station_Path);
    type("N0TEST");
    tabTo(StationForm->StationBtn);
    key(Qt::Key_Space);
    tabTo(StationForm->Edit_Station_Path);
    key(Qt::Key_A, Qt::ControlModifier);
    type("C N0TEST");
    tabTo(StationForm->PathBtn);
    key(Qt::Key_Space);
    QCOMPARE(StationForm->stationName(0) + '|' + StationForm->stationPath(0), "N0TEST|C N0TEST");
    key(Qt::Key_Escape);
    QVERIFY(!StationForm->isVisible());
    Ferrow->activateWindow(); // as the window manager does when a window goes
    QVERIFY(QTest::qWaitForWindowActive(Ferrow));
    QCOMPARE(QApplication::focusWidget(), Ferrow->TransmitScreen);

    // Out of the transmit screen to the station box; the station chosen from its list; Connect by Space.
    f.transcript.clear();
    key(Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), Ferrow->ConnectList);
    key(Qt::Key_Down, Qt::AltModifier);
    QVERIFY(Ferrow->ConnectList->view()->isVisible());
    key(Qt::Key_Home);
    key(Qt::Key_Return);
    QTRY_VERIFY(!Ferrow->ConnectList->view()->isVisible());
    QCOMPARE(Ferrow->ConnectList->currentText(), "N0TEST");
    tabTo(Ferrow->ConnectBtn);
    key(Qt::Key_Space);
    QCOMPARE(f.transcript.entries, QStringList({"SendString C N0TEST", "pause 100", "SendChar 13"}));
    QCOMPARE(QApplication::focusWidget(), Ferrow->TransmitScreen);

    // Into the bands at BC and back; F10 opens the menu bar. Neither key is sent or typed.
    key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), Ferrow->BroadcastBtn);
    key(Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), Ferrow->TransmitScreen);
    key(Qt::Key_F10);
    QCOMPARE(QApplication::activePopupWidget(), Ferrow->File1);
    key(Qt::Key_Escape);
    QCOMPARE(f.transcript.entries.size(), 3);
    QCOMPARE(Ferrow->TransmitScreen->toPlainText(), typed);
}

void KeyboardAccessTest::closeKeys_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("keys");     // typed into the window's first field, then the closing key
    QTest::addColumn<QStringList>("sent"); // the transcript afterwards
    QTest::addColumn<QString>("kept");     // what the window left behind
    const auto row = [](const char* name, const char* window, const char* keys, const QStringList& sent = {},
                        const char* kept = "") { QTest::newRow(name) << window << keys << sent << kept; };
    row("Connect Station Setup: Escape hides it", "station", "Esc");
    row("Function Commands: Escape hides it", "function", "Esc");
    row("TNC Startup Parameters: Escape stores the name as the close box does", "setup", "KPC-3 Esc", {},
        "KPC-3");
    row("TNC Terminate Parameters: Escape closes it, the name stays", "close", "Esc", {}, "TNC1");
    row("Broadcast Message: Escape sends and keeps nothing", "broadcast", "QST Esc");
    row("Broadcast Message: Enter is Accept", "broadcast", "QST Enter",
        {"SendString BTEXT QST", "pause 250", "SendChar 13"}, "QST");
}

void KeyboardAccessTest::closeKeys()
{
    QFETCH(QString, window);
    QFETCH(QString, keys);
    WindowFixture f;
    f.show();
    openFakePort(1);
    f.transcript.clear();
    // The window, the menu item that opens it and the text it leaves behind.
    const auto name = [] { return QString::fromLatin1(slotBytes(G.TncNames[0])); };
    const std::function<QString()> none; // the window leaves no text behind
    const QHash<QString, std::tuple<QWidget*, QAction*, std::function<QString()>>> windows{
        {"station", {StationForm, Ferrow->ConnectList1, none}},
        {"function", {FunctionForm, Ferrow->Function, none}},
        {"setup", {TNC_SetupForm, Ferrow->TNC, name}},
        {"close", {TNC_CloseForm, Ferrow->TNC11, name}},
        {"broadcast",
         {BCForm, Ferrow->Message1, [] { return QString::fromLatin1(slotBytes(G.BroadcastText)); }}}};
    const auto [shown, opens, result] = windows[window];
    opens->trigger();
    QVERIFY(QTest::qWaitForWindowActive(shown));
    for (const QString& k : keys.split(' ')) {
        if (k == "Esc" || k == "Enter") {
            key(k == "Esc" ? Qt::Key_Escape : Qt::Key_Return);
        } else {
            QLineEdit* field = shown->findChild<QLineEdit*>();
            field->setFocus();
            field->selectAll();
            type(k);
        }
    }
    QVERIFY(!shown->isVisible());
    QTEST(f.transcript.entries, "sent");
    if (result)
        QTEST(result(), "kept");
}

void KeyboardAccessTest::windows_data()
{
    QTest::addColumn<QString>("window");
    for (const char* name : {"Quillmar", "Connect Station Setup", "Sending Data", "Function Commands",
                             "TNC Startup Parameters", "TNC Terminate Parameters", "Broadcast Message",
                             "About Quillmar", "Broadcast Timer", "Comms Interface Setup"})
        QTest::newRow(name) << name;
}

void KeyboardAccessTest::windows()
{
    QFETCH(QString, window);
    WindowFixture f;
    f.show();
    std::unique_ptr<QWidget> dialog;
    if (window == "Broadcast Timer")
        dialog = textQueryDialog(window, "Set time interval in TNC units", "5", 255);
    else if (window == "Comms Interface Setup")
        dialog = std::make_unique<TCommConfigDialog>(SerialLineSettings{});
    QWidget* w = dialog.get();
    for (QWidget* form : std::initializer_list<QWidget*>{Ferrow, StationForm, SendDataDialog, FunctionForm,
                                                         TNC_SetupForm, TNC_CloseForm, BCForm, AboutForm})
        if (form->windowTitle() == window)
            w = form;
    QVERIFY(w);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));

    const int titleWidth = QFontMetrics(QApplication::font()).horizontalAdvance(window);
    QVERIFY2(titleWidth + TitleBarRoom <= w->width(),
             qPrintable(QStringLiteral("%1 + %2 > %3").arg(titleWidth).arg(TitleBarRoom).arg(w->width())));

    QList<QWidget*> menus;
    for (QMenuBar* bar : w->findChildren<QMenuBar*>())
        menus << bar;
    for (QMenu* menu : w->findChildren<QMenu*>())
        menus << menu;
    for (const QWidget* menu : menus) {
        QSet<QKeySequence> keys;
        for (const QAction* item : menu->actions()) {
            if (item->isSeparator())
                continue;
            const QKeySequence accelerator = QKeySequence::mnemonic(item->text());
            QVERIFY2(!accelerator.isEmpty(), qPrintable("no accelerator: " + item->text()));
            QVERIFY2(!keys.contains(accelerator), qPrintable("accelerator taken twice: " + item->text()));
            keys.insert(accelerator);
        }
    }

    int named = 0;
    for (QWidget* control : w->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(w) || !(control->focusPolicy() & Qt::TabFocus) || control->focusProxy())
            continue;
        const QString name = QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
        QVERIFY2(
            !name.trimmed().isEmpty(),
            qPrintable(QStringLiteral("unnamed %1 in %2").arg(control->metaObject()->className(), window)));
        ++named;
    }
    QVERIFY(named > 0);
}

void KeyboardAccessTest::statusLines_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("line"); // the status area's last line; <file> for the file chosen
    QTest::newRow("Save Receive, its size grouped") << "Save Receive"
                                                    << "Saved 1,002 bytes to <file>";
    QTest::newRow("Save Transmit") << "Save Transmit"
                                   << "Saved 11 bytes to <file>";
    QTest::newRow("Log ON") << "Log"
                            << "Logging to <file>";
    QTest::newRow("a save cancelled says nothing") << "Save Transmit, cancelled"
                                                   << "";
}

void KeyboardAccessTest::statusLines()
{
    QFETCH(QString, command);
    QFETCH(QString, line);
    WindowFixture f;
    f.show();
    Ferrow->ReceiveScreen->setPlainText(QString(1000, 'x'));
    Ferrow->TransmitScreen->setPlainText("73\nde N0");
    Ferrow->LogScreen->clear();
    const QString file = f.home() + "chosen.txt";
    if (!command.endsWith("cancelled"))
        f.query.fileAnswers << file;
    if (command.startsWith("Save Receive"))
        Ferrow->Save1Click();
    else if (command.startsWith("Save Transmit"))
        Ferrow->SaveAs1Click();
    else
        Ferrow->LogBtnClick();
    QCOMPARE(lastStatusLine(), QString(line).replace("<file>", file));
}

void KeyboardAccessTest::readability_data()
{
    QTest::addColumn<QString>("aspect");
    for (const char* aspect : {"status text at the desktop's size", "status lines break between words",
                               "TNC line numbers whole", "a list shows its focus"})
        QTest::newRow(aspect) << aspect;
}

void KeyboardAccessTest::readability()
{
    QFETCH(QString, aspect);
    WindowFixture f;
    f.show();
    QPlainTextEdit* status = Ferrow->LogScreen;
    if (aspect.startsWith("status text")) {
        QCOMPARE(status->font().pointSizeF(), QApplication::font().pointSizeF());
    } else if (aspect.startsWith("status lines")) {
        // However long a word, it is not broken in two.
        Ferrow->ShowStatus(
            QStringLiteral("COM1 (/dev/serial/by-id/usbFTDIFT232RUSBUARTA1B2C3D4E5F6G7H8J9K0L1M2N3"
                           "P4Q5R6S7T8U9V0W1X2Y3Z4) open, 9600 baud, 7 data bits, even parity"));
        const QTextLayout* layout = status->document()->lastBlock().layout();
        QVERIFY(layout->lineCount() > 2);
        const QString text = status->document()->lastBlock().text();
        for (int i = 0; i + 1 < layout->lineCount(); ++i) {
            const int next = layout->lineAt(i + 1).textStart();
            QVERIFY2(!text.at(next - 1).isLetterOrNumber() || !text.at(next).isLetterOrNumber(),
                     qPrintable(text.left(next) + '|'));
        }
    } else if (aspect.startsWith("TNC")) {
        // Wide enough for "19" beside the item's margins, and no row of the numbers or the lines cut at
        // the bottom.
        for (TncLinesForm* form : std::initializer_list<TncLinesForm*>{TNC_SetupForm, TNC_CloseForm}) {
            form->show();
            QVERIFY(QTest::qWaitForWindowExposed(form));
            const QList<QListWidget*> lists = form->findChildren<QListWidget*>();
            const QListWidget* numbers = lists.first();
            const int margins =
                2 * (numbers->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, numbers) + 1);
            QVERIFY(numbers->viewport()->width() >= numbers->fontMetrics().horizontalAdvance("19") + margins);
            for (const QListWidget* list : lists)
                for (int r = 0; r < list->count(); ++r) {
                    const QRect row = list->visualItemRect(list->item(r));
                    QVERIFY2(row.top() >= list->viewport()->height() ||
                                 row.bottom() < list->viewport()->height(),
                             qPrintable(QStringLiteral("row %1 cut").arg(r + 1)));
                }
            form->close();
        }
    } else {
        // The frame of a list with the keyboard differs from the same list's frame without it.
        StationForm->show();
        QVERIFY(QTest::qWaitForWindowActive(StationForm));
        QListWidget* list = StationForm->StationList;
        const auto frameColour = [list] {
            const QImage shot = list->grab().toImage();
            return shot.pixelColor(0, shot.height() / 2);
        };
        StationForm->Edit_Station_Path->setFocus();
        const QColor without = frameColour();
        list->setFocus();
        QVERIFY(list->hasFocus());
        QVERIFY(frameColour() != without);
    }
}

QTEST_MAIN(KeyboardAccessTest)
#include "keyboard_access_test.moc"
