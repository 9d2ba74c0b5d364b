// The link's side of the main window on a fake device: the bytes and pauses of the connection buttons,
// the function Send and a TNC's four command sequences; the TNC windows, menus and selector; the
// station and function tables; the port choice and its line settings.

#include "app/combo_box.h"
#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/comm_config_dialog.h"
#include "link/function_form.h"
#include "link/nr_comm.h"
#include "link/nr_semaphore.h"
#include "link/port_names.h"
#include "link/station_form.h"
#include "link/tnc_close_form.h"
#include "link/tnc_setup_form.h"
#include "screens/screen_memo.h"
#include "window_fixture.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

constexpr int AsAfterStart = -2;     // the drop-down as start-up left it: its last row
using Lines = QMap<int, QByteArray>; // slot -> text; every other slot empty
const QString NoTncBox = QStringLiteral("Communication Setup|No Comms port or TNC has been selected!");

QPushButton* buttonNamed(const QString& caption)
{
    for (QPushButton* b : {Ferrow->ConnectBtn, Ferrow->DisconnectBtn, Ferrow->TncResetBtn,
                           Ferrow->ConverseBtn, Ferrow->SendFunctionBtn})
        if (b->text() == caption)
            return b;
    return nullptr;
}

// Every box was owned by the main window.
bool boxesOwnedByMain(const ScriptedQuery& query)
{
    return std::all_of(query.boxOwners.begin(), query.boxOwners.end(),
                       [](QWidget* w) { return w == static_cast<QWidget*>(Ferrow); });
}

// The window on a fake port with TNC1 selected, as a stored choice leaves it.
std::unique_ptr<WindowFixture> tncFixture()
{
    auto f = std::make_unique<WindowFixture>();
    f->show();
    openFakePort(1);
    G.ApplyingSettings = 1;
    Ferrow->TNCClick();
    G.ApplyingSettings = 0;
    Ferrow->TNCSelect->setCurrentIndex(0);
    f->transcript.clear();
    return f;
}

QString slotText(const TextSlot& slot)
{
    return QString::fromLatin1(slotBytes(slot));
}

// The selected TNC, the one checked in each menu (8 = None), TNC Sel.'s row, an open TNC window and
// whose line 1 reads "EDITED", as one line.
QString dialogState()
{
    QStringList init, term, edited;
    for (int i = 0; i < 9; ++i) {
        if (Ferrow->TNC1->actions().at(i)->isChecked())
            init << QString::number(i);
        if (Ferrow->TNCTermination1->actions().at(i)->isChecked())
            term << QString::number(i);
        if (G.TncInitCommands[i][0].text() == "EDITED")
            edited << QStringLiteral("init:%1").arg(i);
        if (G.TncTermCommands[i][0].text() == "EDITED")
            edited << QStringLiteral("term:%1").arg(i);
    }
    const QString open = TNC_SetupForm->isOpen() ? ", open init"
        : TNC_CloseForm->isOpen()                ? ", open term"
                                                 : "";
    return QStringLiteral("tnc %1, menus %2, row %3%4%5")
        .arg(G.SelectedTnc)
        .arg(init.join(',') + '/' + term.join(','))
        .arg(Ferrow->TNCSelect->currentIndex())
        .arg(open, edited.isEmpty() ? QString() : ", edited " + edited.join(','));
}

// A setup window through its two lists (names or line numbers, then paths, commands or lines), scroll
// bar, edit box and buttons, and the main window's drop-down; "init" and "term" are the TNC windows.
struct SetupWindow {
    QWidget* form;
    QListWidget *first, *second;
    QScrollBar* bar;
    QLineEdit* edit;
    QPushButton* firstBtn;
    QPushButton* secondBtn = nullptr;
    TComboBox* dropDown = nullptr;
};

SetupWindow setupWindow(const QString& which)
{
    const TStationForm* s = StationForm;
    const TFunctionForm* f = FunctionForm;
    const TTNC_SetupForm* i = TNC_SetupForm;
    const TTNC_CloseForm* t = TNC_CloseForm;
    if (which == "stations")
        return {StationForm,          s->StationList, s->ConnectList, s->StationSelect,
                s->Edit_Station_Path, s->StationBtn,  s->PathBtn,     Ferrow->ConnectList};
    if (which == "functions")
        return {FunctionForm,           f->FunctionName,    f->FunctionString,     f->FunctionSelect,
                f->EditFunctionCommand, f->FunctionNameBtn, f->FunctionCmdEditBtn, Ferrow->FunctionList};
    if (which == "init")
        return {TNC_SetupForm,   i->TNC_Cmd_Number,    i->TNC_CommandList,
                i->CmdScrollBar, i->TNC_Commands_Edit, i->UpdateBtn};
    return {TNC_CloseForm,    t->TNC_Cmd_Number2,    t->TNC_CommandList2,
            t->CmdScrollBar2, t->TNC_Commands_Edit2, t->UpdateBtn2};
}

// "init N" / "term N": menu item of TNC N, 1-based, 9 is None; "select N": TNC Sel. row N chosen;
// "pick N": row N picked in its open list; "type T": T typed into it; "look": its list opened and closed
// unchosen; "no port"; "edit init" / "edit term": line 1 becomes EDITED; "close init" / "close term" /
// "close main".
void tncStep(const QString& s)
{
    const QString w = s.section(' ', 0, 0), arg = s.section(' ', 1);
    TComboBox* box = Ferrow->TNCSelect;
    if (w == "init" || w == "term") {
        (w == "init" ? Ferrow->TNC1 : Ferrow->TNCTermination1)->actions().at(arg.toInt() - 1)->trigger();
    } else if (w == "select" || w == "type") {
        w == "select" ? box->setCurrentIndex(arg.toInt()) : box->setEditText(arg);
        Ferrow->TNCSelectCloseUp();
    } else if (w == "pick" || w == "look") {
        box->showPopup(); // as the operator opens the list
        QAbstractItemView* rows = box->view();
        if (w == "pick") {
            rows->setCurrentIndex(rows->model()->index(arg.toInt(), 0));
            QTest::keyClick(rows, Qt::Key_Return);
        } else {
            box->hidePopup();
        }
        QCoreApplication::processEvents(); // the close-up reads the box once Qt is done with the list
    } else if (s == "no port") {
        Ferrow->None1Click();
    } else if (w == "edit") {
        const SetupWindow win = setupWindow(arg);
        win.edit->setText(QStringLiteral("EDITED"));
        win.firstBtn->click();
    } else if (arg == "main") {
        Ferrow->close();
    } else {
        setupWindow(arg).form->close();
    }
}

// The rows that differ from "first N" / "second N", as "first N=text".
QStringList changes(const SetupWindow& t)
{
    QStringList out;
    for (const QListWidget* list : {t.first, t.second})
        for (int i = 0; i < list->count(); ++i) {
            const QString was = QStringLiteral("%1 %2").arg(list == t.first ? "first" : "second").arg(i);
            if (list->item(i)->text() != was)
                out << was + '=' + list->item(i)->text();
        }
    return out;
}

// The checked port menu items, the port variables and the serial layer, as one line.
QString portState()
{
    return QStringLiteral("%1: %2 %3 %4 active=%5 lamps=%6%7")
        .arg(checkedCaptions(Ferrow->Port1->actions()))
        .arg(G.CommPortNumber)
        .arg(G.CommPortSelected)
        .arg(QString::fromLatin1(commPortNameText(G)))
        .arg(Ferrow->nrComm1->GetActive())
        .arg(Ferrow->CTS_Status->GetChecked())
        .arg(Ferrow->DSR_Status->GetChecked());
}

} // namespace

class LinkWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void buttons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("portOpen");
        QTest::addColumn<int>("chosen");        // row chosen in the drop-down
        QTest::addColumn<QByteArray>("stored"); // the chosen row's path or command
        QTest::addColumn<QString>("sent");      // transcript entries joined by '|'
        QTest::addColumn<QString>("box");       // "caption|text"
        const auto row = [](const char* name, const char* button, bool portOpen, int chosen,
                            const char* stored, const QString& sent, const QString& box = {}) {
            QTest::newRow(name) << button << portOpen << chosen << QByteArray(stored) << sent << box;
        };
        const QString out = "SendString C N0CALL|pause 100|SendChar 13",
                      cr = "SendString |pause 100|SendChar 13";
        const int start = AsAfterStart;
        row("Connect after start: entry 32's path, pause, CR", "Connect", true, start, "C N0CALL", out);
        row("Connect to the chosen station", "Connect", true, 4, "C N0CALL", out);
        // An empty text is written as it is stored: no byte reaches the line.
        row("Connect with an empty path: only CR after the pause", "Connect", true, start, "", cr);
        row("Connect with no station chosen does nothing", "Connect", true, -1, "C N0CALL", "");
        row("Connect without a port: the box, nothing sent", "Connect", false, start, "C N0CALL", "",
            "Communication Setup|No Comms port has been selected!");
        row("Discon..: ETX, pause, DISCONNECT, pause, CR", "Discon..", true, start, "",
            "SendString <3>|pause 100|SendString DISCONNECT|pause 100|SendChar 13");
        row("Discon.. without a port tries anyway, with no box", "Discon..", false, start, "",
            "pause 100|pause 100");
        row("Return: ETX then DISCONNE and CR in one text, no pause", "Return", true, start, "",
            "SendString <3>|SendString DISCONNE<13>");
        row("Conv: CONVERS and CR in one text, then the pause", "Conv", true, start, "",
            "SendString CONVERS<13>|pause 100");
        row("Send after start: function 12's command, pause, CR", "Send", true, start, "C N0CALL", out);
        row("Send the chosen function", "Send", true, 0, "C N0CALL", out);
        row("Send an empty command: only CR after the pause", "Send", true, start, "", cr);
        row("Send without a port: the box, nothing sent", "Send", false, start, "C N0CALL", "", NoTncBox);
    }
    void buttons()
    {
        QFETCH(QString, button);
        QFETCH(bool, portOpen);
        QFETCH(int, chosen);
        QFETCH(QByteArray, stored);
        QFETCH(QString, box);
        WindowFixture f;
        f.show();
        if (portOpen)
            openFakePort(1);
        // Every entry holds another text; the one the button must use holds `stored`.
        const bool function = button == "Send";
        const int entries = function ? TFunctionForm::Entries : TStationForm::Entries;
        for (int i = 0; i < entries; ++i) {
            const QByteArray n = QByteArray::number(i),
                             text = i == (chosen >= 0 ? chosen : entries - 1) ? stored : "WRONG " + n;
            function ? FunctionForm->setFunction(i, "F" + n, text)
                     : StationForm->setStation(i, "STATION" + n, text);
        }
        if (chosen != AsAfterStart)
            (function ? Ferrow->FunctionList : Ferrow->ConnectList)->setCurrentIndex(chosen);
        // The operator was last in the receive screen, caret in mid-text.
        Ferrow->TransmitScreen->setPlainText(QStringLiteral("typed so far"));
        Ferrow->ReceiveScreenClick();
        f.transcript.clear();

        buttonNamed(button)->click();

        QTEST(f.transcript.entries.join('|'), "sent");
        QCOMPARE(f.query.boxes, box.isEmpty() ? QStringList() : QStringList{box});
        QVERIFY(boxesOwnedByMain(f.query));
        // The keyboard goes back to the typing screen unless a box stopped the button.
        const bool focusBack = box.isEmpty() && chosen != -1;
        QCOMPARE(G.ActiveScreen, focusBack ? 1 : 0);
        QCOMPARE(Ferrow->TransmitScreen->textCursor().atEnd(), focusBack);
    }

    void tncSets_data()
    {
        QTest::addColumn<QString>("sequence");
        QTest::addColumn<int>("selectedTnc");
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<QByteArrayList>("sent"); // the lines that go out, each as its sequence writes it
        const Lines oneAndThree{{0, "MYCALL N0CALL"}, {2, "BTEXT Net control"}},
            last{{31, "L32"}, {32, "NOT"}};
        const QByteArrayList both{"MYCALL N0CALL", "BTEXT Net control"};
        // No TNC: None (8), the empty selector row (9), an unmatched typed name (-1).
        for (const int none : {8, 9, -1})
            for (const char* sequence : {"Initialize TNC", "Terminate TNC", "start-up"})
                QTest::addRow("%s: no TNC (%d)", sequence, none)
                    << sequence << none << oneAndThree << QByteArrayList{};
        const auto row = [](const char* name, const char* sequence, int tnc, const Lines& lines,
                            const QByteArrayList& sent) {
            QTest::newRow(name) << sequence << tnc << lines << sent;
        };
        row("Initialize: lines 1 and 3, the empty line 2 skipped", "Initialize TNC", 2, oneAndThree, both);
        row("Initialize: line 32 goes out, slot 32 never", "Initialize TNC", 0, last, {"L32"});
        row("Initialize: all lines empty", "Initialize TNC", 7, {}, {});
        row("Terminate: ETX first, then each line", "Terminate TNC", 2, oneAndThree, both);
        row("Terminate: 32 empty lines send exactly one ETX", "Terminate TNC", 5, {}, {});
        row("start-up: lines 1, 2 and 5, after the banner", "start-up", 2, {{0, "A"}, {1, "B"}, {4, "E"}},
            {"A", "B", "E"});
    }
    void tncSets()
    {
        QFETCH(QString, sequence);
        QFETCH(int, selectedTnc);
        QFETCH(Lines, lines);
        QFETCH(QByteArrayList, sent);
        WindowFixture f;
        const bool initialization = sequence == "Initialize TNC" || sequence == "start-up";
        const bool tnc = selectedTnc >= 0 && selectedTnc < 8;
        // The set under test holds `lines`; every other set, the None set 8 included, holds lines that
        // must never go out here.
        for (int set = 0; set < 9; ++set)
            for (int slot = 0; slot < 33; ++slot) {
                const QByteArray mine = set == selectedTnc || !tnc ? lines.value(slot) : "OTHER TNC";
                (initialization ? G.TncInitCommands : G.TncTermCommands)[set][slot].store(mine.toStdString());
                (initialization ? G.TncTermCommands : G.TncInitCommands)[set][slot].store("OTHER SET");
            }
        G.SelectedTnc = selectedTnc;
        openFakePort(1);
        if (sequence != "start-up")
            f.show();
        f.transcript.clear();
        if (sequence == "start-up")
            f.show();
        else
            (sequence == "Initialize TNC" ? Ferrow->InitializeTNC1 : Ferrow->Terminate1)->trigger();
        // Each sequence's own pauses and line ends; start-up's banner pause comes first and Terminate's ETX
        // goes to a TNC even when all its lines are empty.
        QStringList expected = sequence == "start-up" ? QStringList{"pause 100"}
            : sequence == "Terminate TNC" && tnc      ? QStringList{"SendString <3>"}
                                                      : QStringList{};
        const QString each = sequence == "Initialize TNC" ? "SendString %1|SendString <13>|pause 250"
            : sequence == "Terminate TNC"                 ? "SendString %1|pause 100|SendString <13>"
                                                          : "SendString %1|pause 35|SendChar 13|pause 150";
        for (const QByteArray& line : sent)
            expected << each.arg(QString::fromLatin1(line)).split('|');
        QCOMPARE(f.transcript.entries, expected);
    }

    void tncMenusAndSelector_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("state"); // as dialogState() writes it
        const auto row = [](const char* name, const QStringList& steps, const char* state) {
            QTest::newRow(name) << steps << QString::fromLatin1(state);
        };
        row("TNC4 in the initialization menu", {"init 4"}, "tnc 3, menus 3/3, row 0, open init");
        row("TNC4 in the termination menu", {"term 4"}, "tnc 3, menus 3/3, row 0, open term");
        row("None in the initialization menu", {"init 9"}, "tnc 8, menus 8/8, row 8");
        row("None in the termination menu", {"term 9"}, "tnc 8, menus 8/8, row 8");
        row("TNC3 edited while TNC1 is selected", {"init 3", "edit init", "close init"},
            "tnc 0, menus 2/2, row 0, edited init:2");
        row("another TNC chosen while editing", {"init 3", "init 5", "edit init", "close init"},
            "tnc 0, menus 4/4, row 0, edited init:2");
        row("both windows open, closed in turn",
            {"init 3", "term 5", "edit term", "close init", "close term"},
            "tnc 0, menus 4/4, row 0, edited term:4");
        row("None chosen while editing stays", {"init 3", "term 9", "close init"}, "tnc 8, menus 8/8, row 8");
        row("a TNC Sel. choice while editing stays", {"init 3", "select 5", "close init"},
            "tnc 5, menus 2/2, row 5");
        row("a look at TNC Sel. while editing changes nothing", {"term 3", "look"},
            "tnc 2, menus 2/2, row 0, open term");
        row("a look at TNC Sel. while editing, main window closed: TNC1's lines",
            {"term 3", "look", "close main"}, "tnc 0, menus 2/2, row 0");
        row("main window closed while editing: edit kept, TNC1 back", {"term 3", "edit term", "close main"},
            "tnc 0, menus 2/2, row 0, edited term:2");
        // The selector changes only by a choice and leaves the menus alone; a typed name leaves the row.
        row("TNC Sel. opened, closed unchosen", {"select 2", "look"}, "tnc 2, menus 0/0, row 2");
        row("TNC6 picked in the open list", {"select 2", "pick 5"}, "tnc 5, menus 0/0, row 5");
        row("the empty tenth row picked", {"pick 9"}, "tnc 9, menus 0/0, row 9");
        row("no port: the box and None", {"no port", "look"}, "tnc 8, menus 0/0, row 8");
        row("typed name of another case", {"type tnc5"}, "tnc 4, menus 0/0, row 0");
        row("typed name that matches none", {"type KAM"}, "tnc -1, menus 0/0, row 0");
        row("text cleared: the empty row", {"type "}, "tnc 9, menus 0/0, row 0");
    }
    void tncMenusAndSelector()
    {
        QFETCH(QStringList, steps);
        const auto f = tncFixture();
        G.TncTermCommands[0][0].store("TNC1 BYE");
        for (const QString& s : steps)
            tncStep(s);
        QTEST(dialogState(), "state");
        QCOMPARE(f->query.boxes, steps.contains("no port") ? QStringList{NoTncBox} : QStringList{});
        if (steps.last() == "close main") // the selected TNC's lines, after the edit was stored
            QCOMPARE(f->transcript.entries.join('|'),
                     QStringLiteral("SendString TNC1 BYE|pause 25|SendChar 13|pause 150"));
    }

    void tncRenaming_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored"); // also the menu items' caption
        QTest::newRow("an ampersand shows as typed") << "PK&232"
                                                     << "PK&232";
        QTest::newRow("300 characters cut to 255") << QString(300, 'N') << QString(255, 'N');
    }
    void tncRenaming()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        const auto f = tncFixture();
        Ferrow->TNC2Click();
        TNC_SetupForm->TNC_Name->setText(typed);
        TNC_SetupForm->close();
        QCOMPARE(slotText(G.TncNames[1]), stored);
        QCOMPARE(caption(Ferrow->TNC2), stored);
        QCOMPARE(caption(Ferrow->TNC21), stored);
        QCOMPARE(Ferrow->TNCSelect->itemText(1), QStringLiteral("TNC2")); // until the list opens
        Ferrow->TNCSelectDropDown();
        QCOMPARE(Ferrow->TNCSelect->itemText(1), stored);
        Ferrow->TNC21Click(); // the termination window shows the name, read-only
        QCOMPARE(TNC_CloseForm->TNC_Name2->text(), stored);
        QVERIFY(TNC_CloseForm->TNC_Name2->isReadOnly());
    }

    void tncLineEditing_data()
    {
        QTest::addColumn<bool>("termination");
        QTest::addColumn<bool>("byBar"); // the line is chosen with the scroll bar, else clicked
        QTest::addColumn<bool>("update");
        QTest::newRow("initialization: scroll bar, Update") << false << true << true;
        QTest::newRow("initialization: clicked, not applied: lost") << false << false << false;
        QTest::newRow("termination: clicked, Update") << true << false << true;
    }
    void tncLineEditing()
    {
        QFETCH(bool, termination);
        QFETCH(bool, byBar);
        QFETCH(bool, update);
        const auto f = tncFixture();
        CommandSet& set = (termination ? G.TncTermCommands : G.TncInitCommands)[6];
        const auto original = [](int i) { return i % 3 ? QStringLiteral("L%1").arg(i + 1) : QString(); };
        for (int i = 0; i < 33; ++i)
            set[i].store(original(i).toStdString());
        (termination ? Ferrow->TNC71 : Ferrow->TNC7)->trigger();
        const SetupWindow win = setupWindow(termination ? "term" : "init");
        for (int i = 0; i < 32; ++i) // the window shows TNC7's own lines
            QCOMPARE(win.second->item(i)->text(), original(i));
        const int row = 7;
        byBar ? win.bar->setValue(row) : win.second->setCurrentRow(row);
        QCOMPARE(win.edit->text(), original(row));
        QCOMPARE(win.first->currentRow(), row);
        QCOMPARE(win.bar->value(), byBar ? row : 0); // a click does not move the bar
        win.edit->setText(QStringLiteral("NEW LINE"));
        if (update)
            win.firstBtn->click();
        win.form->close();
        for (int i = 0; i < 32; ++i)
            QCOMPARE(slotText(set[i]), i == row && update ? QStringLiteral("NEW LINE") : original(i));
    }

    void resetCommand_data()
    {
        QTest::addColumn<std::optional<QByteArray>>("answer");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("confirmed empty keeps the command")
            << std::optional<QByteArray>("") << QByteArray("RESTART");
        QTest::newRow("cancelled") << std::optional<QByteArray>() << QByteArray("RESTART");
        QTest::newRow("confirmed, 300 characters cut to 255")
            << std::optional<QByteArray>(QByteArray(300, 'R')) << QByteArray(255, 'R');
    }
    void resetCommand()
    {
        QFETCH(std::optional<QByteArray>, answer);
        const auto f = tncFixture();
        f->query.textAnswers << answer;
        Ferrow->ResetCommandSetup1->trigger();
        QCOMPARE(f->query.queries, QStringList{"Input the TNC Reset/Restart Command|RESET Command:|RESTART"});
        QTEST(slotText(G.ResetCommand).toLatin1(), "stored");
        QCOMPARE(f->transcript.entries, QStringList{}); // nothing sends it
    }

    // Edits land in the selected row of their own list; the drop-downs follow at start and on opening
    // only, and neither refill moves what the setup windows have selected.
    void tableEdits_data()
    {
        QTest::addColumn<QString>("which");
        // "bar N", "click first N", "click second N", "type T", "first", "second" (the buttons),
        // "choose N" (a drop-down row), "open" (the drop-down opened and closed)
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("editShows");
        QTest::addColumn<QStringList>("changed");
        QTest::addColumn<QString>("dropDown"); // chosen row, its text, row 3's text
        for (const QString which : {"stations", "functions"}) {
            const QByteArray w = which.toLatin1() + ": ";
            const QString last = which == "stations" ? "31" : "11";
            const QString atStart = QStringLiteral("%1 first %1, first 3").arg(last);
            QTest::newRow(w + "rows at the scroll bar, an empty edit box clears one")
                << which << QStringList{"bar 3",  "type W1AW", "first", "type C W1AW",
                                        "second", "bar 4",     "type ", "first"}
                << "" << QStringList{"first 3=W1AW", "first 4=", "second 3=C W1AW"} << atStart;
            QTest::newRow(w + "a name click moves only the name list")
                << which << QStringList{"bar 2", "click first 7", "type X", "second"} << "X"
                << QStringList{"second 2=X"} << atStart;
            QTest::newRow(w + "a click copies the row into the edit box")
                << which << QStringList{"click second 5"} << "second 5" << QStringList{} << atStart;
            QTest::newRow(w + "300 characters are cut to 255")
                << which << QStringList{"bar 1", "type " + QString(300, 'Q'), "second"} << QString(255, 'Q')
                << QStringList{"second 1=" + QString(255, 'Q')} << atStart;
            // The setup window keeps row 3 selected through a refill: the next update goes there.
            QTest::newRow(w + "opened: names refreshed, last row kept")
                << which << QStringList{"bar 3", "type renamed", "first", "open", "type again", "first"}
                << "again" << QStringList{"first 3=again"}
                << QStringLiteral("%1 first %1, renamed").arg(last);
            QTest::newRow(w + "opened: the chosen row kept")
                << which
                << QStringList{"choose 4", "bar 3", "type renamed", "first", "open", "type again", "first"}
                << "again" << QStringList{"first 3=again"} << "4 first 4, renamed";
        }
    }
    void tableEdits()
    {
        QFETCH(QString, which);
        QFETCH(QStringList, steps);
        QFETCH(QString, dropDown);
        WindowFixture f;
        const SetupWindow t = setupWindow(which);
        for (int i = 0; i < t.second->count(); ++i) {
            t.first->item(i)->setText(QStringLiteral("first %1").arg(i));
            t.second->item(i)->setText(QStringLiteral("second %1").arg(i));
        }
        f.show();
        Ferrow->ConnectList1Click();
        Ferrow->FunctionClick();
        for (const QString& s : steps) {
            const QString arg = s.section(' ', 1);
            QListWidget* list = s.contains("first") ? t.first : t.second;
            if (s.startsWith("bar "))
                t.bar->setValue(arg.toInt());
            else if (s.startsWith("click ")) {
                QListWidgetItem* item = list->item(arg.section(' ', 1).toInt());
                list->scrollToItem(item);
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
            } else if (s.startsWith("type "))
                t.edit->setText(arg);
            else if (s.startsWith("choose "))
                t.dropDown->setCurrentIndex(arg.toInt());
            else if (s == "open") {
                t.dropDown->showPopup();
                t.dropDown->hidePopup();
            } else
                (s == "first" ? t.firstBtn : t.secondBtn)->click();
        }
        QTEST(t.edit->text(), "editShows");
        QTEST(changes(t), "changed");
        QCOMPARE(t.dropDown->count(), t.first->count());
        QCOMPARE(QStringLiteral("%1 %2, %3")
                     .arg(t.dropDown->currentIndex())
                     .arg(t.dropDown->currentText(), t.dropDown->itemText(3)),
                 dropDown);
    }

    void portChoices_data()
    {
        // Menu items by caption; "lamps off"; "probe N" / "refuse": how COM2 answers.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("state");    // as portState() writes it
        QTest::addColumn<QList<int>>("opens"); // devices opened, by COM number
        QTest::addColumn<int>("closes");
        QTest::addColumn<bool>("focusBack"); // the last choice hands the caret back
        QTest::addColumn<QString>("box");
        const QString ioError = QStringLiteral("Communications I/O Error|Failed to open the comms device");
        const auto row = [](const char* name, const QStringList& steps, const char* state,
                            const QList<int>& opens, int closes, bool focusBack, const QString& box = {}) {
            QTest::newRow(name) << steps << QString::fromLatin1(state) << opens << closes << focusBack << box;
        };
        row("COM5 then COM2", {"COM5", "COM2"}, "COM2: 2 2 COM2 active=1 lamps=11", {5, 2}, 1, true);
        row("an already checked port does nothing", {"COM4", "COM4"}, "COM4: 4 4 COM4 active=1 lamps=11", {4},
            0, false);
        // "None" leaves the lamps as they were.
        row("None twice after COM3", {"COM3", "None", "None"}, "None: 0 0 NONE active=0 lamps=11", {3}, 1,
            false);
        row("None twice from the start", {"None", "None"}, "None: 0 0 NONE active=0 lamps=00", {}, 0, false);
        // A failed choice falls back to None, and no lamp lights on a closed port.
        const char* none = "None: 0 0 NONE active=0 lamps=00";
        row("COM2 cannot be opened", {"COM1", "lamps off", "probe 1", "COM2"}, none, {1}, 1, true, ioError);
        row("COM2's state cannot be read: no box", {"COM1", "lamps off", "probe 2", "COM2"}, none, {1}, 1,
            true);
        row("COM2 probed fine, open refused", {"COM1", "lamps off", "refuse", "COM2"}, none, {1}, 1, true,
            ioError);
    }
    void portChoices()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, state);
        QFETCH(QList<int>, opens);
        QFETCH(int, closes);
        QFETCH(QString, box);
        WindowFixture f;
        f.show();
        const QString com2 = Ferrow->comPortPath(2);
        for (const QString& step : steps) {
            if (step == steps.last()) // the operator left the caret at the start
                Ferrow->TransmitScreen->moveCursor(QTextCursor::Start);
            if (step == "lamps off") {
                Ferrow->CTS_Status->SetChecked(false);
                Ferrow->DSR_Status->SetChecked(false);
            } else if (step.startsWith("probe")) {
                f.device()->probeOutcome[com2] = ProbeResult::Outcome(step.section(' ', 1).toInt());
            } else if (step == "refuse") {
                f.device()->refuseOpen << com2;
            }
            triggerCaptioned(Ferrow->Port1->actions(), step);
        }
        QCOMPARE(portState(), state);
        QStringList devices;
        for (const int port : opens)
            devices << Ferrow->comPortPath(port);
        QCOMPARE(f.device()->opens, devices);
        const bool failing = state.startsWith("None") && steps.last() == "COM2";
        QCOMPARE(f.device()->probes, failing ? devices << com2 : devices); // every open was probed first
        QCOMPARE(f.device()->closes, closes);
        QTEST(Ferrow->TransmitScreen->textCursor().atEnd(), "focusBack");
        QCOMPARE(f.query.boxes, box.isEmpty() ? QStringList() : QStringList{box});
        QVERIFY(boxesOwnedByMain(f.query));
        if (failing) {
            QCOMPARE(G.PortProbeResult, 0);
            QCOMPARE(G.ActiveScreen, 1); // whatever the outcome, the caret ends in the typing screen
            QVERIFY(Ferrow->LogScreen->toPlainText().contains(com2));
        }
    }

    void commsInterfaceSetup_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("cancelled") << false;
        QTest::newRow("confirmed") << true;
    }
    void commsInterfaceSetup()
    {
        QFETCH(bool, confirm);
        WindowFixture f;
        f.show();
        Ferrow->Comm11->trigger();
        const SerialLineSettings chosen{1200, pNone, sbTwo, 8, spRtsCts};
        f.query.lineAnswers << (confirm ? std::optional(chosen) : std::nullopt);
        Ferrow->CommsInterfaceSetup1->trigger();
        QCOMPARE(f.query.queries, QStringList{QStringLiteral("line settings")});
        // The byte size stays in the serial layer until the settings are saved.
        QCOMPARE((QList<int>{G.SerialBaudRate, G.SerialParity, G.SerialStopBits, G.SerialByteSize,
                             G.SerialStreamProtocol}),
                 confirm ? (QList<int>{1200, pNone, sbTwo, 7, spRtsCts}) : (QList<int>{9600, 1, 1, 7, 0}));
        QCOMPARE(Ferrow->nrComm1->lineSettings(), confirm ? chosen : SerialLineSettings{});
        // The open port takes the new line settings at once; it is not reopened.
        QCOMPARE(f.device()->settings, confirm ? chosen : SerialLineSettings{});
        QCOMPARE(f.device()->opens.size(), 1);
    }

    void lineSettingsDialogBaudRate_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<quint32>("taken");
        QTest::newRow("a rate from the list") << "1200" << 1200u;
        QTest::newRow("a rate of its own") << "14400" << 14400u;
        QTest::newRow("half typed: the old rate stays") << "5" << 9600u;
        QTest::newRow("emptied: the old rate stays") << "" << 9600u;
        QTest::newRow("above the range: the old rate stays") << "4000001" << 9600u;
    }
    void lineSettingsDialogBaudRate()
    {
        QFETCH(QString, typed);
        TCommConfigDialog dialog(SerialLineSettings{});
        auto* baud = dialog.findChild<QComboBox*>(QStringLiteral("baudRate"));
        QVERIFY(baud);
        baud->setEditText(typed);
        QTEST(dialog.settings().baudRate, "taken");
    }

    void portResolution_data()
    {
        QTest::addColumn<QString>("present"); // what <folder>/COM3 is
        QTest::addColumn<bool>("ownPath");
        QTest::newRow("nothing there: the system's serial port") << "" << false;
        QTest::newRow("a link whose device is gone for now") << "dangling" << true;
        QTest::newRow("a device node or file") << "file" << true;
    }
    void portResolution()
    {
        QFETCH(QString, present);
        QFETCH(bool, ownPath);
        QTemporaryDir folder;
        const QString own = folder.filePath(QStringLiteral("COM3"));
        if (present == "dangling") // a link to a device is what the pseudo-terminal tests use
            QVERIFY(QFile::link(folder.filePath("gone"), own));
        else if (present == "file")
            QVERIFY(QFile(own).open(QIODevice::WriteOnly));
        QCOMPARE(resolveComPort(folder.path() + '/', 3), ownPath ? own : QStringLiteral("/dev/ttyS2"));
    }
};

QTEST_MAIN(LinkWindowsTest)
#include "link_windows_test.moc"
