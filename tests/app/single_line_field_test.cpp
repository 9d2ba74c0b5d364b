// A line break pasted into a field whose text goes to the TNC as one line: the field shows it as spaces and
// exactly one line goes out. The text queries run as the operator's desktop shows them.

#include "app/combo_box.h"
#include "app/ferrow.h"
#include "app/forms.h"
#include "app/production_seams.h"
#include "app/state.h"
#include "broadcast/bc_form.h"
#include "link/function_form.h"
#include "link/station_form.h"
#include "link/tnc_setup_form.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QString Pasted = QStringLiteral("CQ net\r\nRESTART\x1b\x85");
const QByteArray Shown = "CQ net  RESTART  ";

void paste(QLineEdit* edit)
{
    QApplication::clipboard()->setText(Pasted);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
}

// The next text query, on the real dialog: the paste, then OK.
void pasteIntoNextQuery()
{
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QLineEdit* edit = dialog->findChild<QLineEdit*>();
        edit->selectAll();
        paste(edit);
        dialog->accept();
    });
}

// Every byte the transcript shows going out, in order.
QByteArray wire(const QStringList& entries)
{
    QByteArray bytes;
    for (const QString& e : entries) {
        if (e.startsWith(QStringLiteral("SendChar ")))
            bytes += char(e.mid(9).toInt());
        else if (e.startsWith(QStringLiteral("SendString ")))
            bytes += e.mid(11).replace(QStringLiteral("<13>"), QStringLiteral("\r")).toLatin1();
    }
    return bytes;
}

} // namespace

class SingleLineFieldTest : public QObject {
    Q_OBJECT
private slots:
    void pastedLineBreak_data();
    void pastedLineBreak();
};

void SingleLineFieldTest::pastedLineBreak_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QByteArray>("prefix"); // what goes before the field's text
    QTest::newRow("beacon text") << "beacon" << QByteArray("BTEXT ");
    QTest::newRow("station name and path") << "station" << QByteArray();
    QTest::newRow("function command") << "function" << QByteArray();
    QTest::newRow("TNC command line") << "tnc line" << QByteArray();
    QTest::newRow("ZModem connect command") << "zmodem" << QByteArray();
}

void SingleLineFieldTest::pastedLineBreak()
{
    QFETCH(QString, field);
    QFETCH(QByteArray, prefix);
    WindowFixture f;
    DialogQuery desktop;
    f.show();
    openFakePort(1);
    QLineEdit* edit = nullptr;
    if (field == "beacon") {
        BCForm->show();
        paste(edit = BCForm->BroadcastEdit);
        f.transcript.clear();
        BCForm->BCAcceptBtn->click();
    } else if (field == "station" || field == "function") { // stored in row 1, chosen and sent
        const bool station = field == "station";
        (station ? static_cast<QWidget*>(StationForm) : FunctionForm)->show();
        paste(edit = station ? StationForm->Edit_Station_Path : FunctionForm->EditFunctionCommand);
        (station ? StationForm->PathBtn : FunctionForm->FunctionCmdEditBtn)->click();
        (station ? Ferrow->ConnectList : Ferrow->FunctionList)->setCurrentIndex(0);
        f.transcript.clear();
        (station ? Ferrow->ConnectBtn : Ferrow->SendFunctionBtn)->click();
    } else if (field == "tnc line") {
        Ferrow->TNC1->actions().at(0)->trigger(); // TNC1's initialization window
        paste(edit = TNC_SetupForm->TNC_Commands_Edit);
        TNC_SetupForm->UpdateBtn->click();
        TNC_SetupForm->close();
        G.SelectedTnc = 0;
        f.transcript.clear();
        Ferrow->InitializeTNC1->trigger();
    } else {
        const seams::Set scripted = seams::current();
        seams::Set set = scripted;
        set.query = &desktop;
        seams::install(set);
        pasteIntoNextQuery();
        Ferrow->ModemConnectClick();
        seams::install(scripted);
        G.ZModemConverse = ZModemConverseOn;
        f.transcript.clear();
        Ferrow->ZSendBtnClick(); // no file chosen: the connect line alone
    }
    if (edit)
        QCOMPARE(edit->text().toLatin1(), Shown);
    const QByteArray sent = wire(f.transcript.entries);
    QCOMPARE(sent.count('\r'), 1);
    QCOMPARE(sent, prefix + Shown + '\r');
}

QTEST_MAIN(SingleLineFieldTest)
#include "single_line_field_test.moc"
