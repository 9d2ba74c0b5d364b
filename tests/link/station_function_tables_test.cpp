// The station and function tables: edits land in the selected row of their own
// list, the drop-downs follow at start and on opening only, and neither refill
// moves what the setup windows have selected.

#include "app/combo_box.h"
#include "app/ferrow.h"
#include "app/forms.h"
#include "link/function_form.h"
#include "link/station_form.h"
#include "window_fixture.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

namespace {

// One setup window seen through its two lists (names, then paths or command
// strings), scroll bar, edit box and buttons, and the main window's drop-down.
struct Table {
    QListWidget *first, *second;
    QScrollBar* bar;
    QLineEdit* edit;
    QPushButton *firstBtn, *secondBtn;
    TComboBox* dropDown;
};

Table table(const QString& which)
{
    const TStationForm* s = StationForm;
    const TFunctionForm* f = FunctionForm;
    if (which == "stations")
        return {s->StationList, s->ConnectList, s->StationSelect,   s->Edit_Station_Path,
                s->StationBtn,  s->PathBtn,     Ferrow->ConnectList};
    return {f->FunctionName,    f->FunctionString,     f->FunctionSelect,   f->EditFunctionCommand,
            f->FunctionNameBtn, f->FunctionCmdEditBtn, Ferrow->FunctionList};
}

// The rows that differ from "first N" / "second N", as "first N=text".
QStringList changes(const Table& t)
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

} // namespace

class StationFunctionTablesTest : public QObject {
    Q_OBJECT
private slots:
    void edits_data()
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
    void edits()
    {
        QFETCH(QString, which);
        QFETCH(QStringList, steps);
        QFETCH(QString, editShows);
        QFETCH(QStringList, changed);
        QFETCH(QString, dropDown);
        WindowFixture f;
        Table t = table(which);
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
        QCOMPARE(t.edit->text(), editShows);
        QCOMPARE(changes(t), changed);
        QCOMPARE(t.dropDown->count(), t.first->count());
        QCOMPARE(QStringLiteral("%1 %2, %3")
                     .arg(t.dropDown->currentIndex())
                     .arg(t.dropDown->currentText(), t.dropDown->itemText(3)),
                 dropDown);
    }
};

QTEST_MAIN(StationFunctionTablesTest)
#include "station_function_tables_test.moc"
