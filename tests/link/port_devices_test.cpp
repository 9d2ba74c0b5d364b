// The Port Devices window on a made-up device tree and a real program folder: links and URL files written,
// cleared, refused; a port in use changes only when the operator says so, and then opens on its new target.
#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "file_bytes.h"
#include "link/port_devices.h"
#include "link/port_devices_form.h"
#include "window_fixture.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

// A device tree as udev would leave it with two adapters plugged in.
void makeDeviceTree(const QString& root)
{
    QDir().mkpath(root + "/serial/by-id");
    for (const char* name : {"ttyUSB1", "ttyUSB0", "ttyACM0", "ttyS0"})
        writeFile(root + "/" + name, {});
    QFile::link("../../ttyUSB1", root + "/serial/by-id/usb-Prolific_PL2303-if00-port0");
    QFile::link("../../ttyUSB0", root + "/serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0");
}

} // namespace

class PortDevicesTest : public QObject {
    Q_OBJECT
private slots:
    void settingPorts_data();
    void settingPorts();
    void portInUseAsksFirst();
};

void PortDevicesTest::settingPorts_data()
{
    QTest::addColumn<QString>("before"); // "", "link <target>", "file <text>" or "folder"
    QTest::addColumn<QString>("choice"); // "#k": the k-th detected adapter; "clear"
    QTest::addColumn<QString>("link");   // COM4 afterwards: a link to this, ...
    QTest::addColumn<QString>("file");   // ... or a file holding this, or neither
    QTest::addColumn<QString>("refusal");

    const QString dev = QStringLiteral("DEV");
    QTest::newRow("first detected adapter, by its stable name")
        << "" << "#0" << dev + "/serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0" << "" << "";
    QTest::newRow("plain adapter names after the stable ones") << "" << "#2" << dev + "/ttyUSB0" << "" << "";
    QTest::newRow("typed device path replaces a URL file")
        << "file tcp://old:1" << "/dev/ttyUSB7" << "/dev/ttyUSB7" << "" << "";
    QTest::newRow("typed raw URL") << "" << "tcp://tnc.example.org:4001" << "" << "tcp://tnc.example.org:4001\n"
                                   << "";
    QTest::newRow("typed telnet URL replaces a link, IPv6 kept in brackets")
        << "link /dev/ttyUSB0" << " rfc2217://[fe80::1]:2217 " << "" << "rfc2217://[fe80::1]:2217\n" << "";
    QTest::newRow("cleared link") << "link /dev/ttyUSB0" << "clear" << "" << "" << "";
    QTest::newRow("cleared URL file") << "file tcp://old:1" << "clear" << "" << "" << "";
    QTest::newRow("URL without a port refused, link kept")
        << "link /dev/ttyUSB0" << "tcp://tnc.example.org" << "/dev/ttyUSB0" << "" << "no port number";
    QTest::newRow("neither a path nor a URL refused")
        << "" << "ttyUSB0" << "" << "" << "expected a device path such as /dev/ttyUSB0";
    QTest::newRow("a folder in the way is left alone") << "folder" << "/dev/ttyUSB0" << "" << ""
                                                       << "neither a link nor a port file";
}

void PortDevicesTest::settingPorts()
{
    QFETCH(QString, before);
    QFETCH(QString, choice);
    QFETCH(QString, link);
    QFETCH(QString, file);
    QFETCH(QString, refusal);
    QTemporaryDir home, dev;
    makeDeviceTree(dev.path());
    link.replace(QStringLiteral("DEV"), dev.path());
    const QString com4 = home.filePath(QStringLiteral("COM4"));
    if (before.startsWith(QStringLiteral("link ")))
        QVERIFY(QFile::link(before.mid(5), com4));
    else if (before.startsWith(QStringLiteral("file ")))
        QVERIFY(writeFile(com4, before.mid(5).toLatin1()));
    else if (before == QStringLiteral("folder"))
        QVERIFY(QDir().mkpath(com4));

    PortDevicesForm form(home.path(), dev.path());
    QStringList refusals;
    form.refused = [&](const QString& reason) { refusals << reason; };
    QList<int> changes;
    form.changed = [&](int n) { changes << n; };
    QCOMPARE(form.Choice[3]->count(), 5);
    if (choice == QStringLiteral("clear")) {
        form.ClearBtn[3]->click();
    } else {
        if (choice.startsWith(QLatin1Char('#')))
            form.Choice[3]->setCurrentIndex(choice.mid(1).toInt());
        else
            form.Choice[3]->setEditText(choice);
        form.SetBtn[3]->click();
    }

    const QFileInfo info(com4);
    QCOMPARE(info.isSymLink() ? info.symLinkTarget() : QString(), link.isEmpty() ? QString() : QFileInfo(link).absoluteFilePath());
    QCOMPARE(info.isFile() && !info.isSymLink() ? QString::fromLatin1(readFile(com4)) : QString(), file);
    QCOMPARE(refusals.size(), refusal.isEmpty() ? 0 : 1);
    if (!refusal.isEmpty())
        QVERIFY2(refusals.first().contains(refusal), qPrintable(refusals.first()));
    QCOMPARE(changes, refusal.isEmpty() ? QList<int>{4} : QList<int>{});
    // The window says what the port stands for now.
    const QString now = form.Now[3]->text();
    QVERIFY2(link.isEmpty() || now.startsWith(QFileInfo(link).absoluteFilePath()), qPrintable(now));
    QVERIFY2(file.isEmpty() || now == file.trimmed(), qPrintable(now));
    QVERIFY2(!link.isEmpty() || !file.isEmpty() || before == "folder" || now.contains("nothing set"), qPrintable(now));
}

void PortDevicesTest::portInUseAsksFirst()
{
    WindowFixture f;
    f.show();
    QTemporaryDir readOnly;
    // Root writes anywhere a mode allows nothing; a folder of the kernel's own refuses it too.
    const QString locked = ::geteuid() == 0 ? QStringLiteral("/proc") : readOnly.path();
    QFile::setPermissions(readOnly.path(), QFile::ReadOwner | QFile::ExeOwner);
    PortDevicesForm lockedForm(locked, QStringLiteral("/nonexistent"));
    QString refusal;
    lockedForm.refused = [&](const QString& reason) { refusal = reason; };
    lockedForm.Choice[0]->setEditText(QStringLiteral("tcp://127.0.0.1:4001"));
    lockedForm.SetBtn[0]->click();
    QVERIFY2(refusal.contains(locked + QStringLiteral("/COM1")), qPrintable(refusal));
    QFile::setPermissions(readOnly.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    openFakePort(2);
    Ferrow->PortDevices1Click();
    PortDevicesForm* form = Ferrow->PortDevicesWindow;
    QVERIFY(form && form->isVisible());
    const QString com2 = f.home() + QStringLiteral("COM2");
    form->Choice[1]->setEditText(QStringLiteral("tcp://127.0.0.1:4001"));
    f.query.confirmAnswers << false;
    form->SetBtn[1]->click();
    QCOMPARE(f.query.boxes.size(), 1);
    QVERIFY(f.query.boxes.first().startsWith(QStringLiteral("Port Devices|COM2 is in use")));
    QVERIFY(!QFileInfo::exists(com2));

    const int opens = f.device()->opens.size();
    f.query.confirmAnswers << true;
    form->SetBtn[1]->click();
    QCOMPARE(readFile(com2), QByteArray("tcp://127.0.0.1:4001\n"));
    QCOMPARE(f.device()->opens.mid(opens), QStringList{QStringLiteral("tcp://127.0.0.1:4001")});
    QVERIFY(Ferrow->Comm21->isChecked() && G.CommPortNumber == 2);

    // Another port changes without a question.
    form->Choice[2]->setEditText(QStringLiteral("/dev/ttyUSB3"));
    form->SetBtn[2]->click();
    QCOMPARE(f.query.boxes.size(), 2);
    QCOMPARE(QFileInfo(f.home() + QStringLiteral("COM3")).symLinkTarget(), QStringLiteral("/dev/ttyUSB3"));
}

QTEST_MAIN(PortDevicesTest)
#include "port_devices_test.moc"
