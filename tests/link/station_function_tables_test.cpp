// The station and function tables: edits land in the selected row of their
// own list, the drop-downs follow at start and on opening only, and neither
// refill moves what the setup windows have selected.

#include "app/combo_box.h"
#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/function_form.h"
#include "link/station_form.h"
#include "window_fixture.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

namespace {

// One setup window seen through its two lists, scroll bar, edit box and buttons.
struct Table {
    QListWidget* first;  // names
    QListWidget* second; // paths or command strings
    QScrollBar* bar;
    QLineEdit* edit;
    QPushButton* firstBtn;
    QPushButton* secondBtn;
    TComboBox* dropDown;
};

Table table(const QString& which)
{
    if (which == "stations")
        return {StationForm->StationList,   StationForm->ConnectList,
                StationForm->StationSelect, StationForm->Edit_Station_Path,
                StationForm->StationBtn,    StationForm->PathBtn,
                Ferrow->ConnectList};
    return {FunctionForm->FunctionName,    FunctionForm->FunctionString,
            FunctionForm->FunctionSelect,  FunctionForm->EditFunctionCommand,
            FunctionForm->FunctionNameBtn, FunctionForm->FunctionCmdEditBtn,
            Ferrow->FunctionList};
}

// The rows of both lists: names, then paths or command strings.
QStringList rows(const Table& t)
{
    QStringList out;
    for (const QListWidget* list : {t.first, t.second})
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
    return out;
}

// The rows that differ from `before`, as "first N=text" / "second N=text".
QStringList changes(const QStringList& before, const Table& t)
{
    QStringList out;
    const QStringList now = rows(t);
    const int n = t.first->count();
    for (int i = 0; i < now.size(); ++i)
        if (now[i] != before.value(i))
            out << QStringLiteral("%1 %2=%3").arg(i < n ? "first" : "second").arg(i % n).arg(now[i]);
    return out;
}

void clickRow(QListWidget* list, int row)
{
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

} // namespace

class StationFunctionTablesTest : public QObject {
    Q_OBJECT
private slots:
    void rowEdits_data();
    void rowEdits();
    void dropDowns_data();
    void dropDowns();
};

void StationFunctionTablesTest::rowEdits_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QStringList>(
        "steps"); // "bar N", "click first N", "click second N", "type T", "first", "second"
    QTest::addColumn<QString>("editShows"); // the edit box after the steps
    QTest::addColumn<QStringList>("changed");

    for (const QString which : {"stations", "functions"}) {
        const QByteArray w = which.toLatin1() + ": ";
        QTest::newRow(w + "rows at the scroll bar, an empty edit box clears one")
            << which
            << QStringList{"bar 3", "type W1AW", "first", "type C W1AW", "second", "bar 4", "type ", "first"}
            << "" << QStringList{"first 3=W1AW", "first 4=", "second 3=C W1AW"};
        QTest::newRow(w + "a name click moves only the name list")
            << which << QStringList{"bar 2", "click first 7", "type X", "second"} << "X"
            << QStringList{"second 2=X"};
        QTest::newRow(w + "a click copies the row into the edit box")
            << which << QStringList{"click second 5"} << "second 5" << QStringList{};
        QTest::newRow(w + "300 characters are cut to 255")
            << which << QStringList{"bar 1", "type " + QString(300, 'Q'), "second"} << QString(255, 'Q')
            << QStringList{"second 1=" + QString(255, 'Q')};
    }
}

void StationFunctionTablesTest::rowEdits()
{
    QFETCH(QString, which);
    QFETCH(QStringList, steps);
    QFETCH(QString, editShows);
    QFETCH(QStringList, changed);
    WindowFixture f;
    f.show();
    Table t = table(which);
    for (int i = 0; i < t.second->count(); ++i) {
        t.first->item(i)->setText(QStringLiteral("first %1").arg(i));
        t.second->item(i)->setText(QStringLiteral("second %1").arg(i));
    }
    Ferrow->ConnectList1Click();
    Ferrow->FunctionClick();
    const QStringList before = rows(t);

    for (const QString& s : steps) {
        const QString arg = s.section(' ', 1);
        if (s.startsWith("bar "))
            t.bar->setValue(arg.toInt());
        else if (s.startsWith("click "))
            clickRow(s.contains("first") ? t.first : t.second, arg.section(' ', 1).toInt());
        else if (s.startsWith("type "))
            t.edit->setText(arg);
        else
            (s == "first" ? t.firstBtn : t.secondBtn)->click();
    }
    QCOMPARE(t.edit->text(), editShows);
    QCOMPARE(changes(before, t), changed);
}

void StationFunctionTablesTest::dropDowns_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<int>("chosen"); // row the operator chose before; -2 none since start
    QTest::addColumn<bool>("opened");
    QTest::addColumn<int>("selectedAfter");

    for (const QString which : {"stations", "functions"}) {
        const int last = which == "stations" ? 31 : 11;
        const QByteArray w = which.toLatin1() + ": ";
        QTest::newRow(w + "after start the last row, edits not yet shown") << which << -2 << false << last;
        QTest::newRow(w + "opened: names refreshed, last row kept") << which << -2 << true << last;
        QTest::newRow(w + "opened: the chosen row kept") << which << 4 << true << 4;
    }
}

void StationFunctionTablesTest::dropDowns()
{
    QFETCH(QString, which);
    QFETCH(int, chosen);
    QFETCH(bool, opened);
    QFETCH(int, selectedAfter);
    WindowFixture f;
    Table t = table(which);
    for (int i = 0; i < t.first->count(); ++i)
        t.first->item(i)->setText(QStringLiteral("name %1").arg(i));
    f.show();
    const QStringList atStart = rows(t);
    if (chosen >= 0)
        t.dropDown->setCurrentIndex(chosen);
    // The operator edits a name in the open setup window.
    Ferrow->ConnectList1Click();
    Ferrow->FunctionClick();
    t.bar->setValue(2);
    t.edit->setText(QStringLiteral("renamed"));
    t.firstBtn->click();

    if (opened) {
        t.dropDown->showPopup();
        t.dropDown->hidePopup();
    }
    QCOMPARE(t.dropDown->count(), t.first->count());
    QCOMPARE(t.dropDown->currentIndex(), selectedAfter);
    QCOMPARE(t.dropDown->itemText(2), opened ? QStringLiteral("renamed") : atStart[2]);
    QCOMPARE(t.dropDown->itemText(selectedAfter), atStart[selectedAfter]);
    // The setup window still has row 2 selected: the next update goes there.
    QCOMPARE(t.first->currentRow(), 2);
    t.edit->setText(QStringLiteral("again"));
    t.firstBtn->click();
    QCOMPARE(changes(atStart, t), QStringList{"first 2=again"});
}

QTEST_MAIN(StationFunctionTablesTest)
#include "station_function_tables_test.moc"
