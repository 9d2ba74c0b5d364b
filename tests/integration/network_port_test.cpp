// A TNC at another site behind Debian's ser2net, raw and with the COM port control option, and network
// ports that go wrong: files that name nothing, servers that refuse, stay silent, flood or hang up.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/settings_codec.h"
#include "app/state.h"
#include "file_bytes.h"
#include "link/nr_comm.h"
#include "link/nr_semaphore.h"
#include "process_on_link.h"
#include "pty_relay.h"
#include "screens/screen_memo.h"
#include "ser2net_server.h"
#include "settings_sample.h"
#include "tnc_sim.h"
#include "transfer/nr_zmodem.h"
#include "window_fixture.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString statusText()
{
    return Ferrow->LogScreen->toPlainText();
}

bool writePortFile(const QString& path, const QString& text)
{
    QFile::remove(path);
    return writeFile(path, text.toLatin1() + "\n# the rest of the file is not read\n");
}

// Stored settings that choose COM2 with TNC1's lines to start and to end, at 19200 baud, two stop bits,
// odd parity and 7 data bits (a pty carries 8 bits without parity).
void storeSettings(const QString& home)
{
    ProcessState s;
    setCommPortName(s, "COM2");
    s.CommPortSelected = 2;
    s.SerialBaudRate = 19200;
    s.SerialStopBits = sbTwo;
    s.SerialParity = pOdd;
    s.SerialByteSize = 7;
    s.SelectedTnc = 0;
    s.TncInitCommands[0][0].store("MYCALL N0NET");
    s.TncTermCommands[0][0].store("MYCALL N0END");
    const QString path = home + QStringLiteral("Quillmar.cfg");
    QVERIFY(writeFile(path, settingsBytes(s)));
    G.SettingsFilePath.store(QFile::encodeName(path).toStdString());
}

termios deviceState(const QString& device)
{
    termios state = {};
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        ::tcgetattr(fd, &state);
        ::close(fd);
    }
    return state;
}

speed_t deviceSpeed(const QString& device)
{
    const termios state = deviceState(device);
    return cfgetospeed(&state);
}

// Passes a connection on to `port` and keeps what the client sent.
class RecordingTap : public QObject {
public:
    explicit RecordingTap(quint16 port)
        : target_(port)
    {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* client = server_.nextPendingConnection();
            auto* upstream = new QTcpSocket(client);
            upstream->connectToHost(QHostAddress::LocalHost, target_);
            connect(client, &QTcpSocket::readyRead, upstream, [this, client, upstream] {
                const QByteArray bytes = client->readAll();
                sent += bytes;
                upstream->write(bytes);
            });
            connect(upstream, &QTcpSocket::readyRead, client,
                    [client, upstream] { client->write(upstream->readAll()); });
            connect(client, &QTcpSocket::disconnected, upstream, &QTcpSocket::disconnectFromHost);
            connect(upstream, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
        });
    }
    quint16 port() const { return server_.serverPort(); }
    QByteArray sent;

private:
    QTcpServer server_;
    quint16 target_;
};

// A server that misbehaves in one way.
enum class Behaviour { Absent, Silent, Flood, EndlessReport, HangUp };
class HostileServer : public QObject {
public:
    explicit HostileServer(Behaviour behaviour)
    {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this, behaviour] {
            QTcpSocket* client = server_.nextPendingConnection();
            client->setReadBufferSize(1); // what the client sends stays in the kernel's buffers
            if (behaviour == Behaviour::HangUp)
                client->close();
            // Asks for an option again and again and never reads the refusals.
            for (int i = 0; behaviour == Behaviour::Flood && i < 12; ++i)
                client->write(
                    QByteArray(1 << 20, '\0').replace(QByteArray(1, '\0'), QByteArray("\xff\xfd\x63")));
            if (behaviour == Behaviour::EndlessReport)
                streamReport(client);
        });
        port_ = server_.serverPort();
        if (behaviour == Behaviour::Absent)
            server_.close();
    }
    quint16 port() const { return port_; }
    // All it had to send went out (a server that streams); what this process holds of it is gone.
    bool doneSending() const { return sent_ >= EndlessBytes && (!streaming_ || !streaming_->bytesToWrite()); }

private:
    static constexpr qint64 EndlessBytes = qint64(48) << 20;
    // A modem-line report that never ends, sent a mebibyte at a time as the client takes it.
    void streamReport(QTcpSocket* client)
    {
        streaming_ = client;
        sent_ = 0;
        client->write("\xff\xfa\x2c\x6b");
        const auto more = [this, client] {
            if (sent_ < EndlessBytes && client->bytesToWrite() == 0)
                sent_ += client->write(QByteArray(1 << 20, 'x'));
        };
        connect(client, &QTcpSocket::bytesWritten, this, more);
        more();
    }

    QTcpServer server_;
    quint16 port_ = 0;
    QTcpSocket* streaming_ = nullptr;
    qint64 sent_ = EndlessBytes;
};

// The memory this process holds now.
qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toLongLong() * ::sysconf(_SC_PAGESIZE);
}

} // namespace

class NetworkPortTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void remoteTncThroughSer2net_data();
    void remoteTncThroughSer2net();
    void serverStoppedAndBack();
    void zmodemThroughSer2net_data();
    void zmodemThroughSer2net();
    void portsThatGoWrong_data();
    void portsThatGoWrong();
};

void NetworkPortTest::initTestCase()
{
    QVERIFY2(!QStandardPaths::findExecutable("ser2net").isEmpty(),
             "ser2net is not installed (the test script installs it)");
}

void NetworkPortTest::remoteTncThroughSer2net_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("raw TCP") << int(Ser2netServer::Raw);
    QTest::newRow("telnet with the COM port option") << int(Ser2netServer::Rfc2217);
}

// Start with the stored port, type, close: the TNC hears its lines at each end.
void NetworkPortTest::remoteTncThroughSer2net()
{
    QFETCH(int, mode);
    WindowFixture f(true);
    const QString device = f.home() + QStringLiteral("tnc");
    TncSim sim(device, f.home() + QStringLiteral("sim.bin"));
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    Ser2netServer server(Ser2netServer::Mode(mode), device);
    QVERIFY2(server.start(), qPrintable(server.error()));
    RecordingTap tap(server.port());
    const QString url =
        QString(server.url()).replace(QString::number(server.port()), QString::number(tap.port()));
    QVERIFY(writePortFile(f.home() + QStringLiteral("COM2"), url));
    storeSettings(f.home());
    f.show();

    QVERIFY2(Ferrow->nrComm1->GetActive() && Ferrow->Comm21->isChecked(), qPrintable(statusText()));
    QVERIFY(f.query.boxes.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(sim.transcript().contains("MYCALL N0NET\r"), kSimWaitMs);
    emit Ferrow->Port1->aboutToShow(); // the tips are looked up as the menu opens
    QVERIFY(Ferrow->Comm21->statusTip().startsWith(url));
    QCOMPARE(Ferrow->Comm21->statusTip().contains(QStringLiteral("raw TCP")), mode == Ser2netServer::Raw);
    QCOMPARE(statusText().contains(QStringLiteral("raw TCP")), mode == Ser2netServer::Raw);

    if (mode == Ser2netServer::Rfc2217) {
        // Rate and stop bits reach the far pty; framing it cannot take shows in the requests.
        QTRY_VERIFY_WITH_TIMEOUT(deviceSpeed(device) == B19200, kSimWaitMs);
        QVERIFY(deviceState(device).c_cflag & CSTOPB);
        // A pty has no modem lines: the server's report of them turns the lamps off.
        QTRY_VERIFY_WITH_TIMEOUT(!Ferrow->CTS_Status->GetChecked() && !Ferrow->DSR_Status->GetChecked(),
                                 kSimWaitMs);
        QVERIFY(tap.sent.contains("\xff\xfa\x2c\x02\x07\xff\xf0")); // 7 data bits
        QVERIFY(tap.sent.contains("\xff\xfa\x2c\x03\x02\xff\xf0")); // odd parity
        Ferrow->nrComm1->SetBaudRate(4800);
        QTRY_VERIFY_WITH_TIMEOUT(deviceSpeed(device) == B4800, kSimWaitMs);
        QCOMPARE(Ferrow->nrComm1->GetBaudRate(), 4800u);
        QCOMPARE(Ferrow->nrComm1->GetByteSize(), quint8(7));
    }

    Ferrow->nrComm1->SendString("MYCALL K1NET\r");
    QTRY_VERIFY2_WITH_TIMEOUT(
        Ferrow->ReceiveScreen->toPlainText().contains(QStringLiteral("MYCALL was N0NET")),
        qPrintable(Ferrow->ReceiveScreen->toPlainText() + statusText() +
                   QString::fromLatin1(sim.transcript().toPercentEncoding())),
        kSimWaitMs);
    // ser2net answers each request with what it asked: nothing to report.
    QVERIFY2(!statusText().contains(QStringLiteral("was asked")), qPrintable(statusText()));
    Ferrow->close();
    QTRY_VERIFY2_WITH_TIMEOUT(sim.transcript().contains("MYCALL K1NET\rMYCALL N0END\r"),
                              qPrintable(QString::fromLatin1(sim.transcript().toPercentEncoding()) + statusText()),
                              kSimWaitMs);
    QVERIFY(!sim.transcript().contains('\0')); // no text-mode CR NUL, not even before binary was agreed
}

// The server goes away and comes back: said once, lamps off, typing refused, back by itself.
void NetworkPortTest::serverStoppedAndBack()
{
    WindowFixture f(true);
    const QString device = f.home() + QStringLiteral("tnc");
    TncSim sim(device, f.home() + QStringLiteral("sim.bin"));
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    Ser2netServer server(Ser2netServer::Rfc2217, device);
    QVERIFY2(server.start(), qPrintable(server.error()));
    QVERIFY(writePortFile(f.home() + QStringLiteral("COM2"), server.url()));
    f.show();
    Ferrow->Comm21->trigger();
    QVERIFY2(Ferrow->nrComm1->GetActive(), qPrintable(statusText()));

    QVERIFY(server.stop());
    QTRY_VERIFY_WITH_TIMEOUT(Ferrow->nrComm1->IsReopening(), kSimWaitMs);
    QCOMPARE(statusText().count(QStringLiteral(" lost: ")), 1);
    QVERIFY(!Ferrow->CTS_Status->GetChecked() && !Ferrow->DSR_Status->GetChecked());
    Ferrow->nrComm1->SendString("MYCALL K9LOST\r");
    QVERIFY(statusText().contains(QStringLiteral("not sent")));

    QVERIFY2(server.start(), qPrintable(server.error()));
    QTRY_VERIFY_WITH_TIMEOUT(Ferrow->nrComm1->GetActive(), 2 * kSimWaitMs);
    QVERIFY(statusText().contains(QStringLiteral("is back")));
    QCOMPARE(statusText().count(QStringLiteral(" lost: ")), 1);
    Ferrow->nrComm1->SendString("MYCALL K1BACK\r");
    QTRY_VERIFY_WITH_TIMEOUT(sim.transcript().endsWith("MYCALL K1BACK\r"), kSimWaitMs);
    QVERIFY(!sim.transcript().contains("K9LOST"));
    QVERIFY(f.query.boxes.isEmpty());
}

void NetworkPortTest::zmodemThroughSer2net_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("programSends");
    QTest::newRow("sz to the window, telnet with the COM port option")
        << int(Ser2netServer::Rfc2217) << false;
    QTest::newRow("window to rz, telnet with the COM port option") << int(Ser2netServer::Rfc2217) << true;
    QTest::newRow("sz to the window, raw TCP") << int(Ser2netServer::Raw) << false;
    QTest::newRow("window to rz, raw TCP") << int(Ser2netServer::Raw) << true;
}

// 1 MiB dense with bytes 255 and CR NUL pairs, to or from lrzsz on the far side of ser2net.
void NetworkPortTest::zmodemThroughSer2net()
{
    QFETCH(int, mode);
    QFETCH(bool, programSends);
    constexpr int kTransferMs = 60000;
    WindowFixture f(true);
    const QString here = f.home() + QStringLiteral("here/"), remote = f.home() + QStringLiteral("remote/");
    QVERIFY(QDir().mkpath(here) && QDir().mkpath(remote));
    // Every fifth byte begins a pair telnet treats apart: IAC IAC, CR NUL, IAC SB, IAC CR.
    const QByteArray pairs[] = {"\xff\xff", QByteArray("\r\0", 2), "\xff\xfa", "\xff\r"};
    QByteArray bytes = pattern(1 << 20, 255);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 5)
        bytes.replace(i, 2, pairs[i / 5 % 4]);
    const QString name = QStringLiteral("iac.bin");
    QVERIFY(writeFile((programSends ? here : remote) + name, bytes));
    PtyRelay line;
    Ser2netServer server(Ser2netServer::Mode(mode), QString::fromStdString(line.path(PtyRelay::A)));
    QVERIFY2(server.start(), qPrintable(server.error()));
    QVERIFY(writePortFile(f.home() + QStringLiteral("COM1"), server.url()));
    f.show();
    Ferrow->nrComm1->SetBaudRate(115200);
    Ferrow->nrComm1->SetByteSize(8);
    Ferrow->nrComm1->SetParity(0);
    Ferrow->nrZModem1->SetDefaultPath(here);
    Ferrow->Comm11->trigger();
    QVERIFY2(Ferrow->nrComm1->GetActive(), qPrintable(statusText()));
    Ferrow->LogScreen->clear();
    QProcess peer;
    startOnLink(peer, remote, QString::fromStdString(line.path(PtyRelay::B)),
                programSends ? QStringList{"rz", "-q"} : QStringList{"sz", "-q", name});
    QVERIFY(peer.waitForStarted(kTransferMs));
    if (programSends) {
        f.query.fileAnswers << here + name;
        Ferrow->ZFileOpenBtn->click();
        Ferrow->ZSendBtn->click();
    }
    QTRY_VERIFY2_WITH_TIMEOUT(statusText().contains(QStringLiteral("End of Transfers")),
                              qPrintable(statusText()), kTransferMs);
    QTRY_COMPARE_WITH_TIMEOUT(peer.state(), QProcess::NotRunning, kTransferMs);
    QCOMPARE(peer.exitCode(), 0);
    QVERIFY2(readFile((programSends ? remote : here) + name) == bytes, "the file arrived different");
    Ferrow->nrComm1->SetActive(false);
}

void NetworkPortTest::portsThatGoWrong_data()
{
    QTest::addColumn<QString>("fileText"); // %1: the hostile server's port
    QTest::addColumn<int>("behaviour");
    QTest::addColumn<bool>("box");
    QTest::addColumn<QString>("said");

    const QString expected = QStringLiteral("expected tcp://HOST:PORT or rfc2217://HOST:PORT");
    QTest::newRow("file names a device, not a URL")
        << "/dev/ttyUSB0" << int(Behaviour::Absent) << true << expected;
    QTest::newRow("IPv6 address without brackets")
        << "tcp://::1:%1" << int(Behaviour::Absent) << true << "an IPv6 address goes in brackets";
    QTest::newRow("port number missing")
        << "rfc2217://localhost" << int(Behaviour::Absent) << true << "no port number from 1 to 65535";
    QTest::newRow("nothing listens") << "tcp://127.0.0.1:%1" << int(Behaviour::Absent) << true
                                     << "Connection refused";
    QTest::newRow("IPv6 loopback, nothing listens")
        << "tcp://[::1]:%1" << int(Behaviour::Absent) << true << "tcp://[::1]:";
    QTest::newRow("name that does not resolve")
        << "tcp://no-such-host.invalid:%1" << int(Behaviour::Absent) << true << "does not resolve";
    QTest::newRow("server accepts and never speaks") << "rfc2217://127.0.0.1:%1" << int(Behaviour::Silent)
                                                     << false << "did not take up the COM port option";
    QTest::newRow("server negotiates without end")
        << "rfc2217://127.0.0.1:%1" << int(Behaviour::Flood) << false << "takes nothing of what is sent";
    QTest::newRow("server opens a report and never ends it")
        << "rfc2217://127.0.0.1:%1" << int(Behaviour::EndlessReport) << false
        << "did not take up the COM port option";
    QTest::newRow("server hangs up at once")
        << "tcp://127.0.0.1:%1" << int(Behaviour::HangUp) << false << "the server closed the connection";
}

void NetworkPortTest::portsThatGoWrong()
{
    QFETCH(QString, fileText);
    QFETCH(int, behaviour);
    QFETCH(bool, box);
    QFETCH(QString, said);
    WindowFixture f(true);
    HostileServer server{Behaviour(behaviour)};
    const QString file = f.home() + QStringLiteral("COM3");
    QVERIFY(writePortFile(file,
                          fileText.contains(QStringLiteral("%1")) ? fileText.arg(server.port()) : fileText));
    f.show();
    const qint64 memoryBefore = residentBytes();
    Ferrow->Comm31->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(statusText().contains(said), kSimWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(server.doneSending(), kSimWaitMs);
    QCOMPARE(!f.query.boxes.isEmpty(), box);
    QCOMPARE(Ferrow->None1->isChecked(), box);
    if (box)
        QVERIFY(statusText().contains(QStringLiteral("COM3")));
    if (fileText.startsWith(QLatin1Char('/')))
        QVERIFY(statusText().contains(file));
    // However it went, the window is not held and what the link keeps stays bounded.
    Ferrow->nrComm1->SendString("MYCALL N0CALL\r");
    QVERIFY(Ferrow->nrComm1->QueuedBytes() < (16 << 20));
    if (Behaviour(behaviour) == Behaviour::EndlessReport) // 48 MiB went by; none of it is kept
        QVERIFY2(residentBytes() - memoryBefore < (16 << 20),
                 qPrintable(QString::number(residentBytes() - memoryBefore)));
}

QTEST_MAIN(NetworkPortTest)
#include "network_port_test.moc"
