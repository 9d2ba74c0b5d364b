// The TNC windows, menus and selector on a fake device: a window edits the TNC
// it opened for and leaves the selection alone, names reach both menus, None
// really selects no TNC, and TNC Sel. changes only by a choice.

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

namespace {

QString slotText(const TextSlot& slot)
{
    return QString::fromLatin1(slotBytes(slot));
}

// The TNC checked in each menu (8 = None), TNC Sel.'s row, the open window and
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
    return QStringLiteral("selected %1, menus %2, row %3, open %4, edited %5")
        .arg(G.SelectedTnc)
        .arg(init.join(',') + '/' + term.join(','))
        .arg(Ferrow->TNCSelect->currentIndex())
        .arg(TNC_SetupForm->isOpen()       ? "init"
                 : TNC_CloseForm->isOpen() ? "term"
                                           : "none")
        .arg(edited.join(','));
}

// One TNC window seen through the controls both have.
struct LinesWindow {
    TncLinesForm* form;
    QListWidget *numbers, *lines;
    QScrollBar* bar;
    QLineEdit* edit;
    QPushButton* update;
};

LinesWindow linesWindow(bool termination)
{
    const TTNC_CloseForm* t = TNC_CloseForm;
    const TTNC_SetupForm* i = TNC_SetupForm;
    if (termination)
        return {TNC_CloseForm,    t->TNC_Cmd_Number2,    t->TNC_CommandList2,
                t->CmdScrollBar2, t->TNC_Commands_Edit2, t->UpdateBtn2};
    return {TNC_SetupForm,   i->TNC_Cmd_Number,    i->TNC_CommandList,
            i->CmdScrollBar, i->TNC_Commands_Edit, i->UpdateBtn};
}

// "init N" / "term N": menu item of TNC N, 1-based, 9 is None; "select N": TNC
// Sel. row N chosen; "look": its list opened and closed unchosen; "edit init" /
// "edit term": line 1 becomes EDITED; "close init" / "close term" / "close main".
void step(const QString& s)
{
    const QStringList w = s.split(' ');
    if (w[0] == "init" || w[0] == "term") {
        (w[0] == "init" ? Ferrow->TNC1 : Ferrow->TNCTermination1)->actions().at(w[1].toInt() - 1)->trigger();
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
    std::unique_ptr<WindowFixture> f;
private slots:
    void cleanup() { f.reset(); }
    void init()
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

    void menusAndWindows_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("state"); // as dialogState() writes it
        const auto row = [](const char* name, const QStringList& steps, const char* state) {
            QTest::newRow(name) << steps << QString::fromLatin1(state);
        };
        row("TNC4 in the initialization menu", {"init 4"},
            "selected 3, menus 3/3, row 0, open init, edited ");
        row("TNC4 in the termination menu", {"term 4"}, "selected 3, menus 3/3, row 0, open term, edited ");
        row("None in the initialization menu", {"init 9"},
            "selected 8, menus 8/8, row 8, open none, edited ");
        row("None in the termination menu", {"term 9"}, "selected 8, menus 8/8, row 8, open none, edited ");
        row("TNC3 edited while TNC1 is selected", {"init 3", "edit init", "close init"},
            "selected 0, menus 2/2, row 0, open none, edited init:2");
        row("another TNC chosen while the window is open", {"init 3", "init 5", "edit init", "close init"},
            "selected 0, menus 4/4, row 0, open none, edited init:2");
        row("both windows open, closed in turn",
            {"init 3", "term 5", "edit term", "close init", "close term"},
            "selected 0, menus 4/4, row 0, open none, edited term:4");
        row("None chosen while editing stays chosen", {"init 3", "term 9", "close init"},
            "selected 8, menus 8/8, row 8, open none, edited ");
        row("a TNC Sel. choice while editing stays chosen", {"init 3", "select 5", "close init"},
            "selected 5, menus 2/2, row 5, open none, edited ");
        row("a look at TNC Sel. while editing, then the main window closed: TNC1's lines",
            {"term 3", "look", "close main"}, "selected 0, menus 2/2, row 0, open none, edited ");
        row("main window closed while editing: edit kept, TNC1 back", {"term 3", "edit term", "close main"},
            "selected 0, menus 2/2, row 0, open none, edited term:2");
    }
    void menusAndWindows()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, state);
        G.TncTermCommands[0][0].store("TNC1 BYE");
        for (const QString& s : steps)
            step(s);
        QCOMPARE(dialogState(), state);
        if (steps.last() == "close main") // the selected TNC's lines, after the edit was stored
            QCOMPARE(f->transcript.entries,
                     (QStringList{"SendString TNC1 BYE", "pause 25", "SendChar 13", "pause 150"}));
    }

    void renaming_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("caption"); // as the menu item holds it
        QTest::newRow("an ampersand shows as typed") << "PK&232"
                                                     << "PK&232"
                                                     << "PK&&232";
        const QString n300(300, 'N'), n255(255, 'N');
        QTest::newRow("300 characters cut to 255") << n300 << n255 << n255;
    }
    void renaming()
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

    void lineEditing_data()
    {
        QTest::addColumn<bool>("termination");
        QTest::addColumn<bool>("byBar"); // the line is chosen with the scroll bar, else clicked
        QTest::addColumn<bool>("update");
        QTest::newRow("initialization: scroll bar, Update") << false << true << true;
        QTest::newRow("initialization: clicked, not applied: lost") << false << false << false;
        QTest::newRow("termination: clicked, Update") << true << false << true;
    }
    void lineEditing()
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

    void selector_data()
    {
        QTest::addColumn<bool>("portOpen");
        QTest::addColumn<QString>("action");    // "look", "pick N", "type TEXT"
        QTest::addColumn<int>("selectedAfter"); // from TNC3
        QTest::newRow("opened and closed unchosen keeps TNC3") << true << "look" << 2;
        QTest::newRow("TNC6 picked in the open list") << true << "pick 5" << 5;
        QTest::newRow("the empty tenth row picked") << true << "pick 9" << 9;
        QTest::newRow("no port: the box and None") << false << "look" << 8;
        QTest::newRow("typed name of another case") << true << "type tnc5" << 4;
        QTest::newRow("typed name that matches none") << true << "type KAM" << -1;
        QTest::newRow("text cleared: the empty row") << true << "type " << 9;
    }
    void selector()
    {
        QFETCH(bool, portOpen);
        QFETCH(QString, action);
        QFETCH(int, selectedAfter);
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
        QCOMPARE(f->query.boxes,
                 portOpen ? QStringList()
                          : QStringList{"Communication Setup|No Comms port or TNC has been selected!"});
        QCOMPARE(dialogState().section(", ", 1, 1),
                 QStringLiteral("menus 0/0")); // the box leaves the menus alone
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
        QFETCH(QByteArray, stored);
        f->query.textAnswers << answer;
        Ferrow->ResetCommandSetup1->trigger();
        QCOMPARE(f->query.queries, QStringList{"Input the TNC Reset/Restart Command|RESET Command:|RESTART"});
        QCOMPARE(slotText(G.ResetCommand).toLatin1(), stored);
        QCOMPARE(f->transcript.entries, QStringList{}); // nothing sends it
    }
};

QTEST_MAIN(TncDialogsTest)
#include "tnc_dialogs_test.moc"
