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

QAction* menuItem(QMenu* menu, int tnc) // tnc 0..7, 8 = None
{
    return menu->actions().at(tnc);
}

QString slotText(const TextSlot& slot)
{
    return QString::fromLatin1(slot.text().data(), qsizetype(slot.text().size()));
}

// The items checked in both TNC menus, as "init:N" / "term:N" (N = 0..8).
QStringList checkedItems()
{
    QStringList out;
    for (int i = 0; i < 9; ++i) {
        if (menuItem(Ferrow->TNC1, i)->isChecked())
            out << QStringLiteral("init:%1").arg(i);
        if (menuItem(Ferrow->TNCTermination1, i)->isChecked())
            out << QStringLiteral("term:%1").arg(i);
    }
    return out;
}

void editFirstLine(TncLinesForm* form)
{
    auto* edit = form == TNC_SetupForm ? TNC_SetupForm->TNC_Commands_Edit : TNC_CloseForm->TNC_Commands_Edit2;
    edit->setText(QStringLiteral("EDITED"));
    (form == TNC_SetupForm ? TNC_SetupForm->UpdateBtn : TNC_CloseForm->UpdateBtn2)->click();
}

// Runs one step: "init N" / "term N" (menu item of TNC N, 1-based), "none",
// "select N" (TNC Sel. row N picked), "edit init" / "edit term", "close
// init" / "close term", "close main".
void step(const QString& s)
{
    const QStringList w = s.split(QLatin1Char(' '));
    if (w[0] == "init" || w[0] == "term")
        menuItem(w[0] == "init" ? Ferrow->TNC1 : Ferrow->TNCTermination1, w[1].toInt() - 1)->trigger();
    else if (w[0] == "none")
        Ferrow->NoTNC2->trigger();
    else if (w[0] == "select") {
        Ferrow->TNCSelect->setCurrentIndex(w[1].toInt());
        Ferrow->TNCSelectCloseUp();
    } else if (w[0] == "edit")
        editFirstLine(w[1] == "init" ? static_cast<TncLinesForm*>(TNC_SetupForm) : TNC_CloseForm);
    else if (w[1] == "main")
        Ferrow->close();
    else
        (w[1] == "init" ? static_cast<QWidget*>(TNC_SetupForm) : TNC_CloseForm)->close();
}

} // namespace

class TncDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { f.reset(); }
    void bindingAndSelection_data();
    void bindingAndSelection();
    void renaming_data();
    void renaming();
    void lineEditing_data();
    void lineEditing();
    void menuChoices_data();
    void menuChoices();
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
    f->transcript.clear();
}

void TncDialogsTest::bindingAndSelection_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<int>("editedInit"); // TNC whose line 1 became "EDITED", -1 none
    QTest::addColumn<int>("editedTerm");
    QTest::addColumn<QStringList>("checked");

    QTest::newRow("TNC3 edited while TNC1 is selected")
        << QStringList{"init 3", "edit init", "close init"} << 0 << 2 << -1 << QStringList{"init:2", "term:2"};
    QTest::newRow("another TNC chosen while the window is open")
        << QStringList{"init 3", "init 5", "edit init", "close init"} << 0 << 2 << -1
        << QStringList{"init:4", "term:4"};
    QTest::newRow("both windows open, closed in turn")
        << QStringList{"init 3", "term 5", "edit term", "close init", "close term"} << 0 << -1 << 4
        << QStringList{"init:4", "term:4"};
    QTest::newRow("None chosen while editing stays chosen")
        << QStringList{"init 3", "none", "close init"} << 8 << -1 << -1 << QStringList{"init:8", "term:8"};
    QTest::newRow("a TNC Sel. choice while editing stays chosen")
        << QStringList{"init 3", "select 5", "close init"} << 5 << -1 << -1 << QStringList{"init:2", "term:2"};
    QTest::newRow("main window closed while editing: edit kept, TNC1 back")
        << QStringList{"term 3", "edit term", "close main"} << 0 << -1 << 2 << QStringList{"init:2", "term:2"};
}

void TncDialogsTest::bindingAndSelection()
{
    QFETCH(QStringList, steps);
    QFETCH(int, selectedAfter);
    QFETCH(int, editedInit);
    QFETCH(int, editedTerm);
    QFETCH(QStringList, checked);
    G.TncTermCommands[0][0].store("TNC1 BYE");

    for (const QString& s : steps)
        step(s);

    QCOMPARE(G.SelectedTnc, selectedAfter);
    for (int tnc = 0; tnc < 9; ++tnc) {
        QCOMPARE(G.TncInitCommands[tnc][0].text() == "EDITED", tnc == editedInit);
        QCOMPARE(G.TncTermCommands[tnc][0].text() == "EDITED", tnc == editedTerm);
    }
    QCOMPARE(checkedItems(), checked);
    QVERIFY(!TNC_SetupForm->isOpen() && !TNC_CloseForm->isOpen());
    if (steps.last() == "close main") // the selected TNC's lines, after the edit was stored
        QCOMPARE(f->transcript.entries, (QStringList{"SendString TNC1 BYE", "pause 25", "SendChar 13", "pause 150"}));
}

void TncDialogsTest::renaming_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("caption"); // as the menu item holds it

    QTest::newRow("plain name") << "KPC-3+" << "KPC-3+" << "KPC-3+";
    QTest::newRow("an ampersand shows as typed") << "PK&232" << "PK&232" << "PK&&232";
    QTest::newRow("emptied") << "" << "" << "";
    QTest::newRow("300 characters cut to 255") << QString(300, QLatin1Char('N')) << QString(255, QLatin1Char('N'))
                                               << QString(255, QLatin1Char('N'));
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
    QTest::addColumn<QString>("how"); // "bar N", "click N"
    QTest::addColumn<bool>("update");
    QTest::addColumn<int>("changedLine"); // -1: the lines are stored as they were

    for (bool term : {false, true}) {
        const char* w = term ? "termination: " : "initialization: ";
        QTest::addRow("%sscroll bar to line 5, Update", w) << term << "bar 4" << true << 4;
        QTest::addRow("%sclicked line 8, Update", w) << term << "click 7" << true << 7;
        QTest::addRow("%sedit not applied is lost", w) << term << "bar 4" << false << -1;
    }
}

void TncDialogsTest::lineEditing()
{
    QFETCH(bool, termination);
    QFETCH(QString, how);
    QFETCH(bool, update);
    QFETCH(int, changedLine);
    CommandSet& set = (termination ? G.TncTermCommands : G.TncInitCommands)[6];
    for (int i = 0; i < 33; ++i)
        set[i].store(i % 3 ? "L" + std::to_string(i + 1) : "");
    (termination ? Ferrow->TNC71 : Ferrow->TNC7)->trigger();
    TncLinesForm* form = termination ? static_cast<TncLinesForm*>(TNC_CloseForm) : TNC_SetupForm;
    QListWidget* lines = termination ? TNC_CloseForm->TNC_CommandList2 : TNC_SetupForm->TNC_CommandList;
    QListWidget* numbers = termination ? TNC_CloseForm->TNC_Cmd_Number2 : TNC_SetupForm->TNC_Cmd_Number;
    QScrollBar* bar = termination ? TNC_CloseForm->CmdScrollBar2 : TNC_SetupForm->CmdScrollBar;
    QLineEdit* edit = termination ? TNC_CloseForm->TNC_Commands_Edit2 : TNC_SetupForm->TNC_Commands_Edit;
    QCOMPARE(form->boundTnc(), 6);
    for (int i = 0; i < 32; ++i) // the window shows TNC7's own lines
        QCOMPARE(lines->item(i)->text(), slotText(set[i]));

    const int row = how.section(' ', 1).toInt();
    if (how.startsWith("bar"))
        bar->setValue(row);
    else
        lines->setCurrentRow(row);
    QCOMPARE(edit->text(), slotText(set[row]));
    QCOMPARE(numbers->currentRow(), row);
    QCOMPARE(bar->value(), how.startsWith("bar") ? row : 0); // a click does not move the bar
    edit->setText(QStringLiteral("NEW LINE"));
    if (update)
        (termination ? TNC_CloseForm->UpdateBtn2 : TNC_SetupForm->UpdateBtn)->click();
    form->close();

    for (int i = 0; i < 32; ++i)
        QCOMPARE(slotText(set[i]), i == changedLine ? QStringLiteral("NEW LINE")
                                                    : QString(i % 3 ? QStringLiteral("L%1").arg(i + 1) : QString()));
}

void TncDialogsTest::menuChoices_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("applying");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("setupShown");
    QTest::addColumn<bool>("closeShown");
    QTest::addColumn<int>("selectorRow");

    QTest::newRow("TNC4 in the initialization menu") << "init 4" << false << 3 << true << false << 0;
    QTest::newRow("TNC4 in the termination menu") << "term 4" << false << 3 << false << true << 0;
    QTest::newRow("TNC4 while settings are applied: no window") << "init 4" << true << 3 << false << false << 0;
    QTest::newRow("None in the initialization menu") << "none init" << false << 8 << false << false << 8;
    QTest::newRow("None in the termination menu") << "none term" << false << 8 << false << false << 8;
}

void TncDialogsTest::menuChoices()
{
    QFETCH(QString, item);
    QFETCH(bool, applying);
    QFETCH(int, selected);
    QFETCH(bool, setupShown);
    QFETCH(bool, closeShown);
    QFETCH(int, selectorRow);
    Ferrow->TNCSelect->setCurrentIndex(0);
    G.ApplyingSettings = applying;

    const QStringList w = item.split(QLatin1Char(' '));
    QMenu* menu = w[1] == "init" || w[0] == "init" ? Ferrow->TNC1 : Ferrow->TNCTermination1;
    menuItem(menu, w[0] == "none" ? 8 : w[1].toInt() - 1)->trigger();

    QCOMPARE(G.SelectedTnc, selected);
    QCOMPARE(checkedItems(), (QStringList{QStringLiteral("init:%1").arg(selected), QStringLiteral("term:%1").arg(selected)}));
    QCOMPARE(TNC_SetupForm->isVisible(), setupShown);
    QCOMPARE(TNC_CloseForm->isVisible(), closeShown);
    QCOMPARE(Ferrow->TNCSelect->currentIndex(), selectorRow);
    // With None checked nothing goes out, by menu or at close.
    if (selected == 8) {
        G.TncInitCommands[8][0].store("NONE INIT");
        G.TncTermCommands[8][0].store("NONE TERM");
        G.TncTermCommands[0][0].store("TNC1 TERM");
        Ferrow->InitializeTNC1->trigger();
        Ferrow->Terminate1->trigger();
        Ferrow->close();
        QCOMPARE(f->transcript.entries, QStringList{});
    }
}

void TncDialogsTest::selector_data()
{
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<int>("selectedBefore");
    QTest::addColumn<QString>("action"); // "look", "pick N", "type TEXT"
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<QStringList>("boxes");

    const QString noPort = QStringLiteral("Communication Setup|No Comms port or TNC has been selected!");
    QTest::newRow("opened and closed unchosen keeps TNC3") << true << 2 << "look" << 2 << QStringList{};
    QTest::newRow("TNC6 picked in the open list") << true << 2 << "pick 5" << 5 << QStringList{};
    QTest::newRow("the empty tenth row picked") << true << 2 << "pick 9" << 9 << QStringList{};
    QTest::newRow("no port: the box and None") << false << 2 << "look" << 8 << QStringList{noPort};
    QTest::newRow("typed name of another case") << true << 2 << "type tnc5" << 4 << QStringList{};
    QTest::newRow("typed name that matches none") << true << 2 << "type KAM" << -1 << QStringList{};
    QTest::newRow("text cleared: the empty row") << true << 2 << "type " << 9 << QStringList{};
}

void TncDialogsTest::selector()
{
    QFETCH(bool, portOpen);
    QFETCH(int, selectedBefore);
    QFETCH(QString, action);
    QFETCH(int, selectedAfter);
    QFETCH(QStringList, boxes);
    if (!portOpen)
        Ferrow->None1Click();
    G.SelectedTnc = selectedBefore;
    TComboBox* box = Ferrow->TNCSelect;
    box->setCurrentIndex(selectedBefore);

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
    QTest::newRow("confirmed") << std::optional<QByteArray>("RESET") << QByteArray("RESET");
    QTest::newRow("confirmed empty keeps the command") << std::optional<QByteArray>("") << QByteArray("RESTART");
    QTest::newRow("cancelled") << std::optional<QByteArray>() << QByteArray("RESTART");
    QTest::newRow("300 characters cut to 255") << std::optional<QByteArray>(QByteArray(300, 'R'))
                                               << QByteArray(255, 'R');
}

void TncDialogsTest::resetCommand()
{
    QFETCH(std::optional<QByteArray>, answer);
    QFETCH(QByteArray, stored);
    f->query.textAnswers << answer;
    Ferrow->ResetCommandSetup1->trigger();
    QCOMPARE(f->query.queries, QStringList{"Input the TNC Reset/Restart Command|RESET Command:|RESTART"});
    QCOMPARE(QByteArray(G.ResetCommand.text().data(), qsizetype(G.ResetCommand.text().size())), stored);
    QCOMPARE(f->transcript.entries, QStringList{}); // nothing sends it
}

QTEST_MAIN(TncDialogsTest)
#include "tnc_dialogs_test.moc"
