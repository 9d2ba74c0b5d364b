// The TNC windows, menus and selector on a fake device: a window edits the
// TNC it opened for and leaves the selection alone, names reach both menus,
// None really selects no TNC, and TNC Sel. changes only by a choice.

#include "app/combo_box.h"
#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/tnc_close_form.h"
#include "link/tnc_setup_form.h"
#include "window_fixture.h"

#include <QAbstractItemView>
#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <memory>
#include <string>

namespace {

QString slotText(const TextSlot& slot)
{
    return QString::fromLatin1(slotBytes(slot));
}

// The items checked in both TNC menus, as "init:N" / "term:N" (N = 0..8, 8 = None).
QStringList checkedItems()
{
    QStringList out;
    for (int i = 0; i < 9; ++i) {
        if (Ferrow->TNC1->actions().at(i)->isChecked())
            out << QStringLiteral("init:%1").arg(i);
        if (Ferrow->TNCTermination1->actions().at(i)->isChecked())
            out << QStringLiteral("term:%1").arg(i);
    }
    return out;
}

// One TNC window seen through the controls both have.
struct LinesWindow {
    TncLinesForm* form;
    QListWidget* numbers;
    QListWidget* lines;
    QScrollBar* bar;
    QLineEdit* edit;
    QPushButton* update;
};

LinesWindow linesWindow(bool termination)
{
    if (termination)
        return {TNC_CloseForm,
                TNC_CloseForm->TNC_Cmd_Number2,
                TNC_CloseForm->TNC_CommandList2,
                TNC_CloseForm->CmdScrollBar2,
                TNC_CloseForm->TNC_Commands_Edit2,
                TNC_CloseForm->UpdateBtn2};
    return {TNC_SetupForm,
            TNC_SetupForm->TNC_Cmd_Number,
            TNC_SetupForm->TNC_CommandList,
            TNC_SetupForm->CmdScrollBar,
            TNC_SetupForm->TNC_Commands_Edit,
            TNC_SetupForm->UpdateBtn};
}

// Runs one step: "init N" / "term N" (menu item of TNC N, 1-based; 9 is None),
// "applying" (settings are being applied), "select N" (TNC Sel. row N picked),
// "look" (the TNC Sel. list opened and closed without a choice),
// "edit init" / "edit term" (line 1 becomes EDITED), "close init" / "close term"
// / "close main".
void step(const QString& s)
{
    const QStringList w = s.split(QLatin1Char(' '));
    if (w[0] == "init" || w[0] == "term") {
        (w[0] == "init" ? Ferrow->TNC1 : Ferrow->TNCTermination1)->actions().at(w[1].toInt() - 1)->trigger();
    } else if (w[0] == "applying") {
        G.ApplyingSettings = 1;
    } else if (w[0] == "select") {
        Ferrow->TNCSelect->setCurrentIndex(w[1].toInt());
        Ferrow->TNCSelectCloseUp();
    } else if (w[0] == "look") {
        Ferrow->TNCSelect->showPopup();
        Ferrow->TNCSelect->hidePopup();
        QCoreApplication::processEvents(); // the close-up runs once Qt is done with the list
    } else if (w[0] == "edit") {
        const LinesWindow win = linesWindow(w[1] == "term");
        win.edit->setText(QStringLiteral("EDITED"));
        win.update->click();
    } else if (w[1] == "main") {
        Ferrow->close();
    } else {
        linesWindow(w[1] == "term").form->close();
    }
}

} // namespace

class TncDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { f.reset(); }
    void menusAndWindows_data();
    void menusAndWindows();
    void renaming_data();
    void renaming();
    void lineEditing_data();
    void lineEditing();
    void selector_data();
    void selector();
    void resetCommand_data();
    void resetCommand();

private:
    std::unique_ptr<WindowFixture> f;
};

void TncDialogsTest::init()
{
    f = std::make_unique<WindowFixture>();
    f->show();
    openFakePort(1);
    // TNC1 selected, as a stored choice leaves it.
    G.ApplyingSettings = 1;
    Ferrow->TNCClick();
    G.ApplyingSettings = 0;
    Ferrow->TNCSelect->setCurrentIndex(0);
    f->transcript.clear();
}

void TncDialogsTest::menusAndWindows_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("checked"); // the TNC checked in both menus
    QTest::addColumn<int>("selectorRow");
    QTest::addColumn<QString>("open");   // the window left open: "init", "term" or none
    QTest::addColumn<QString>("edited"); // whose line 1 became "EDITED": "init:N" / "term:N"

    QTest::newRow("TNC4 in the initialization menu") << QStringList{"init 4"} << 3 << 3 << 0 << "init"
                                                     << "";
    QTest::newRow("TNC4 in the termination menu") << QStringList{"term 4"} << 3 << 3 << 0 << "term"
                                                  << "";
    QTest::newRow("TNC4 while settings are applied: no window")
        << QStringList{"applying", "init 4"} << 3 << 3 << 0 << ""
        << "";
    QTest::newRow("None in the initialization menu") << QStringList{"init 9"} << 8 << 8 << 8 << ""
                                                     << "";
    QTest::newRow("None in the termination menu") << QStringList{"term 9"} << 8 << 8 << 8 << ""
                                                  << "";
    QTest::newRow("TNC3 edited while TNC1 is selected")
        << QStringList{"init 3", "edit init", "close init"} << 0 << 2 << 0 << ""
        << "init:2";
    QTest::newRow("another TNC chosen while the window is open")
        << QStringList{"init 3", "init 5", "edit init", "close init"} << 0 << 4 << 0 << ""
        << "init:2";
    QTest::newRow("both windows open, closed in turn")
        << QStringList{"init 3", "term 5", "edit term", "close init", "close term"} << 0 << 4 << 0 << ""
        << "term:4";
    QTest::newRow("None chosen while editing stays chosen")
        << QStringList{"init 3", "term 9", "close init"} << 8 << 8 << 8 << ""
        << "";
    QTest::newRow("a TNC Sel. choice while editing stays chosen")
        << QStringList{"init 3", "select 5", "close init"} << 5 << 2 << 5 << ""
        << "";
    QTest::newRow("a look at TNC Sel. while editing changes nothing")
        << QStringList{"init 3", "look", "close init"} << 0 << 2 << 0 << ""
        << "";
    QTest::newRow("a look at TNC Sel. while editing, then the main window closed: TNC1's lines")
        << QStringList{"term 3", "look", "close main"} << 0 << 2 << 0 << ""
        << "";
    QTest::newRow("main window closed while editing: edit kept, TNC1 back")
        << QStringList{"term 3", "edit term", "close main"} << 0 << 2 << 0 << ""
        << "term:2";
}

void TncDialogsTest::menusAndWindows()
{
    QFETCH(QStringList, steps);
    QFETCH(int, selected);
    QFETCH(int, checked);
    QFETCH(int, selectorRow);
    QFETCH(QString, open);
    QFETCH(QString, edited);
    G.TncTermCommands[0][0].store("TNC1 BYE");

    for (const QString& s : steps)
        step(s);

    QCOMPARE(G.SelectedTnc, selected);
    QCOMPARE(checkedItems(),
             (QStringList{"init:" + QString::number(checked), "term:" + QString::number(checked)}));
    QCOMPARE(Ferrow->TNCSelect->currentIndex(), selectorRow);
    QCOMPARE(TNC_SetupForm->isOpen(), open == "init");
    QCOMPARE(TNC_CloseForm->isOpen(), open == "term");
    QStringList editedNow;
    for (int tnc = 0; tnc < 9; ++tnc) {
        if (G.TncInitCommands[tnc][0].text() == "EDITED")
            editedNow << QStringLiteral("init:%1").arg(tnc);
        if (G.TncTermCommands[tnc][0].text() == "EDITED")
            editedNow << QStringLiteral("term:%1").arg(tnc);
    }
    QCOMPARE(editedNow.join(','), edited);
    if (steps.last() == "close main") // the selected TNC's lines, after the edit was stored
        QCOMPARE(f->transcript.entries,
                 (QStringList{"SendString TNC1 BYE", "pause 25", "SendChar 13", "pause 150"}));
}

void TncDialogsTest::renaming_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("caption"); // as the menu item holds it

    QTest::newRow("an ampersand shows as typed") << "PK&232"
                                                 << "PK&232"
                                                 << "PK&&232";
    QTest::newRow("300 characters cut to 255")
        << QString(300, QLatin1Char('N')) << QString(255, QLatin1Char('N')) << QString(255, QLatin1Char('N'));
}

void TncDialogsTest::renaming()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, caption);
    Ferrow->TNC2Click();
    TNC_SetupForm->TNC_Name->setText(typed);
    TNC_SetupForm->close();

    QCOMPARE(slotText(G.TncNames[1]), stored);
    QCOMPARE(Ferrow->TNC2->text(), caption);
    QCOMPARE(Ferrow->TNC21->text(), caption);
    QCOMPARE(Ferrow->TNCSelect->itemText(1), QStringLiteral("TNC2")); // until the list opens
    Ferrow->TNCSelectDropDown();
    QCOMPARE(Ferrow->TNCSelect->itemText(1), stored);
    Ferrow->TNC21Click(); // the termination window shows the name, read-only
    QCOMPARE(TNC_CloseForm->TNC_Name2->text(), stored);
    QVERIFY(TNC_CloseForm->TNC_Name2->isReadOnly());
}

void TncDialogsTest::lineEditing_data()
{
    QTest::addColumn<bool>("termination");
    QTest::addColumn<bool>("byBar"); // the line is chosen with the scroll bar, else clicked
    QTest::addColumn<bool>("update");

    QTest::newRow("initialization: scroll bar, Update") << false << true << true;
    QTest::newRow("initialization: clicked, not applied: lost") << false << false << false;
    QTest::newRow("termination: clicked, Update") << true << false << true;
}

void TncDialogsTest::lineEditing()
{
    QFETCH(bool, termination);
    QFETCH(bool, byBar);
    QFETCH(bool, update);
    CommandSet& set = (termination ? G.TncTermCommands : G.TncInitCommands)[6];
    const auto original = [](int i) { return i % 3 ? QStringLiteral("L%1").arg(i + 1) : QString(); };
    for (int i = 0; i < 33; ++i)
        set[i].store(original(i).toStdString());
    (termination ? Ferrow->TNC71 : Ferrow->TNC7)->trigger();
    const LinesWindow win = linesWindow(termination);
    QCOMPARE(win.form->boundTnc(), 6);
    for (int i = 0; i < 32; ++i) // the window shows TNC7's own lines
        QCOMPARE(win.lines->item(i)->text(), original(i));

    const int row = 7;
    byBar ? win.bar->setValue(row) : win.lines->setCurrentRow(row);
    QCOMPARE(win.edit->text(), original(row));
    QCOMPARE(win.numbers->currentRow(), row);
    QCOMPARE(win.bar->value(), byBar ? row : 0); // a click does not move the bar
    win.edit->setText(QStringLiteral("NEW LINE"));
    if (update)
        win.update->click();
    win.form->close();

    for (int i = 0; i < 32; ++i)
        QCOMPARE(slotText(set[i]), i == row && update ? QStringLiteral("NEW LINE") : original(i));
}

void TncDialogsTest::selector_data()
{
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<QString>("action");    // "look", "pick N", "type TEXT"
    QTest::addColumn<int>("selectedAfter"); // from TNC3
    QTest::addColumn<QStringList>("boxes");

    const QString noPort = QStringLiteral("Communication Setup|No Comms port or TNC has been selected!");
    QTest::newRow("opened and closed unchosen keeps TNC3") << true << "look" << 2 << QStringList{};
    QTest::newRow("TNC6 picked in the open list") << true << "pick 5" << 5 << QStringList{};
    QTest::newRow("the empty tenth row picked") << true << "pick 9" << 9 << QStringList{};
    QTest::newRow("no port: the box and None") << false << "look" << 8 << QStringList{noPort};
    QTest::newRow("typed name of another case") << true << "type tnc5" << 4 << QStringList{};
    QTest::newRow("typed name that matches none") << true << "type KAM" << -1 << QStringList{};
    QTest::newRow("text cleared: the empty row") << true << "type " << 9 << QStringList{};
}

void TncDialogsTest::selector()
{
    QFETCH(bool, portOpen);
    QFETCH(QString, action);
    QFETCH(int, selectedAfter);
    QFETCH(QStringList, boxes);
    if (!portOpen)
        Ferrow->None1Click();
    G.SelectedTnc = 2;
    TComboBox* box = Ferrow->TNCSelect;
    box->setCurrentIndex(2);

    if (action.startsWith("type ")) {
        box->setEditText(action.mid(5));
        Ferrow->TNCSelectCloseUp();
    } else {
        box->showPopup(); // as the operator opens the list
        if (action.startsWith("pick ")) {
            QAbstractItemView* rows = box->view();
            rows->setCurrentIndex(rows->model()->index(action.mid(5).toInt(), 0));
            QTest::keyClick(rows, Qt::Key_Return);
        } else {
            box->hidePopup();
        }
        QCoreApplication::processEvents(); // the close-up reads the box once Qt applied the pick
    }
    QCOMPARE(G.SelectedTnc, selectedAfter);
    QCOMPARE(f->query.boxes, boxes);
    QCOMPARE(checkedItems(), (QStringList{"init:0", "term:0"})); // the box leaves the menus alone
}

void TncDialogsTest::resetCommand_data()
{
    QTest::addColumn<std::optional<QByteArray>>("answer");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("confirmed empty keeps the command")
        << std::optional<QByteArray>("") << QByteArray("RESTART");
    QTest::newRow("cancelled") << std::optional<QByteArray>() << QByteArray("RESTART");
    QTest::newRow("confirmed, 300 characters cut to 255")
        << std::optional<QByteArray>(QByteArray(300, 'R')) << QByteArray(255, 'R');
}

void TncDialogsTest::resetCommand()
{
    QFETCH(std::optional<QByteArray>, answer);
    QFETCH(QByteArray, stored);
    f->query.textAnswers << answer;
    Ferrow->ResetCommandSetup1->trigger();
    QCOMPARE(f->query.queries, QStringList{"Input the TNC Reset/Restart Command|RESET Command:|RESTART"});
    QCOMPARE(slotText(G.ResetCommand).toLatin1(), stored);
    QCOMPARE(f->transcript.entries, QStringList{}); // nothing sends it
}

QTEST_MAIN(TncDialogsTest)
#include "tnc_dialogs_test.moc"
