// A screen send on a line that really runs at 9600 baud (a pseudo-terminal read at 960 bytes a second, which
// reports nothing waiting while it holds kilobytes): a Cancel stops the text on the air within about a
// second, and a key the operator types meanwhile still goes out.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "pty_relay.h"
#include "screens/screen_memo.h"
#include "screens/send_data_dialog.h"
#include "window_fixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr int BytesPerSecond = 960;
constexpr int CancelAfter = 500; // characters of the text on the air

// The far end of the line: what reached it so far.
class FarEnd {
public:
    explicit FarEnd(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
    {
    }
    ~FarEnd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }
    // Waits up to `ms` for bytes, then takes all there are.
    void read(int ms)
    {
        pollfd p{fd_, POLLIN, 0};
        ::poll(&p, 1, ms);
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(fd_, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, n);
    }
    QByteArray bytes;

private:
    int fd_;
};

} // namespace

class ScreenSendLineTest : public QObject {
    Q_OBJECT
private slots:
    void cancelStopsTheLine_data();
    void cancelStopsTheLine();
};

void ScreenSendLineTest::cancelStopsTheLine_data()
{
    QTest::addColumn<int>("screenSize");
    QTest::addColumn<bool>("mainCancel"); // else the dialog's
    QTest::addColumn<bool>("typed");      // a key typed just before the Cancel
    QTest::newRow("10,000 characters, the dialog's Cancel") << 10000 << false << false;
    QTest::newRow("30 KB, the main window's Cancel") << 30000 << true << false;
    QTest::newRow("a key typed during the send still goes out") << 10000 << false << true;
}

void ScreenSendLineTest::cancelStopsTheLine()
{
    QFETCH(int, screenSize);
    QFETCH(bool, mainCancel);
    QFETCH(bool, typed);
    PtyRelay line(PtyRelay::Channel{BytesPerSecond, 0});
    QVERIFY2(!line.path(PtyRelay::A).empty(), "no pseudo-terminals");
    FarEnd far(line.path(PtyRelay::B));
    QVERIFY(far.isOpen());
    WindowFixture f(true);
    f.show();
    QVERIFY(QFile::link(QString::fromStdString(line.path(PtyRelay::A)), f.home() + QStringLiteral("COM1")));
    Ferrow->Comm11->trigger();
    QVERIFY(Ferrow->nrComm1->GetActive());
    QCOMPARE(Ferrow->nrComm1->GetBaudRate(), 9600u);
    G.SendMode = SendModeImmediate;
    QByteArray text;
    for (int i = 0; i < screenSize; ++i)
        text += char('a' + i % 25); // never the typed 'Z'
    Ferrow->TransmitScreen->setPlainText(QString::fromLatin1(text));
    Ferrow->TransmitScreen->moveCaretToEnd();

    // Time passes in the send's waits as the line carries what it was given.
    f.pause.onPause = [&](int ms) { far.read(ms); };
    long deliveredAtCancel = -1;
    QTimer watch;
    watch.setInterval(2);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        far.read(0);
        if (deliveredAtCancel >= 0 || far.bytes.size() < qsizetype(sizeof "CONVERS\r") + CancelAfter)
            return;
        if (typed)
            QTest::keyClick(Ferrow->TransmitScreen, 'Z');
        deliveredAtCancel = line.delivered(PtyRelay::B);
        QTest::mouseClick(mainCancel ? Ferrow->CancelSendingBtn : SendDataDialog->CancelBtn, Qt::LeftButton);
    });
    watch.start();
    QTest::mouseClick(Ferrow->SendScreenBtn, Qt::LeftButton);
    watch.stop();
    QVERIFY(deliveredAtCancel > 0);

    // Everything handed over reaches the far end, the ETX last.
    QElapsedTimer waited;
    waited.start();
    while (!far.bytes.endsWith('\x03') && waited.elapsed() < 60000)
        far.read(100);
    QVERIFY2(far.bytes.endsWith('\x03'), far.bytes.right(40).constData());
    QVERIFY(far.bytes.startsWith("CONVERS\r" + text.left(CancelAfter)));
    QCOMPARE(far.bytes.count('Z'), typed ? 1 : 0);
    const long afterCancel = line.delivered(PtyRelay::B) - deliveredAtCancel;
    // About a second's worth, with room for a busy machine.
    QVERIFY2(afterCancel <= BytesPerSecond * 3 / 2, qPrintable(QString::number(afterCancel)));
}

QTEST_MAIN(ScreenSendLineTest)
#include "screen_send_line_test.moc"
