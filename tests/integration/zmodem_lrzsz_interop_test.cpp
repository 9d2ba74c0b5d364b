// quillmar-zmodem against lrzsz's sz and rz over a fresh pseudo-terminal line per transfer.
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "pty_relay.h"

namespace {

constexpr int kTransferMs = 60000;

// Runs `command` in `folder` with stdin and stdout on the pty link, as one would type `cmd <B >B`.
void startOnLink(QProcess& process, const QString& folder, const QString& link, const QStringList& command)
{
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QStringList args{"-c", "link=$1; shift; exec \"$@\" <\"$link\" >\"$link\"", "sh", link};
    process.start("/bin/sh", args + command);
}

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (auto& b : bytes)
        b = char(random.generate() & 0xFF);
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString tool()
{
    return qEnvironmentVariable("QUILLMAR_BUILD_DIR", ".") + "/quillmar-zmodem";
}

// One file of a transfer: how it is named to the sender and where it must land.
struct Sent {
    QString announced; // as given to the sender
    QString storedAs;  // where it must land, relative to the receive folder
    QByteArray bytes;
};

} // namespace

// Real transfers with sz and rz, compared byte for byte.
class ZmodemLrzszInteropTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void transfersAgainstLrzsz_data();
    void transfersAgainstLrzsz();
};

void ZmodemLrzszInteropTest::initTestCase()
{
    for (const char* program : {"sz", "rz"})
        if (QStandardPaths::findExecutable(program).isEmpty())
            QSKIP(qPrintable(QString(program) + " is not installed"));
    QVERIFY2(QFile::exists(tool()), qPrintable(tool() + " is missing"));
}

void ZmodemLrzszInteropTest::transfersAgainstLrzsz_data()
{
    QTest::addColumn<bool>("oursSends");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("sizes");
    QTest::addColumn<QStringList>("storedAs");
    QTest::addColumn<QStringList>("alreadyThere");
    QTest::addColumn<QString>("refused"); // what our sender reports rz refused; it then exits 1

    const QList<int> sizes{0, 1, 1023, 1024, 1025, 3 << 20};
    const QStringList names{"empty", "one", "k-1", "k", "k+1", "three-mib"};
    for (bool ours : {false, true}) {
        const QByteArray way = ours ? "ours to rz: " : "sz to ours: ";
        QTest::newRow(way + "sizes 0 to 3 MiB in one session")
            << ours << names << sizes << names << QStringList{} << QString();
        QTest::newRow(way + "name with spaces") << ours << QStringList{"net log 3.txt"} << QList<int>{5000}
                                                << QStringList{"net log 3.txt"} << QStringList{} << QString();
    }
    // sz announces the path as given; our receiver keeps only the plain name.
    QTest::newRow("sz to ours: hostile name") << false << QStringList{"../escape.txt"} << QList<int>{777}
                                              << QStringList{"escape.txt"} << QStringList{} << QString();
    QTest::newRow("sz to ours: existing name gets a new one")
        << false << QStringList{"report.txt"} << QList<int>{4000} << QStringList{"report.txt.1"}
        << QStringList{"report.txt"} << QString();
    // rz refuses to replace a file: our sender takes the ZSKIP, carries on, and says it was refused.
    QTest::newRow("ours to rz: existing name is refused")
        << true << QStringList{"report.txt", "next.txt"} << QList<int>{4000, 300}
        << QStringList{"", "next.txt"} << QStringList{"report.txt"} << "the far end refused report.txt";
}

void ZmodemLrzszInteropTest::transfersAgainstLrzsz()
{
    QFETCH(bool, oursSends);
    QFETCH(QStringList, names);
    QFETCH(QList<int>, sizes);
    QFETCH(QStringList, storedAs);
    QFETCH(QStringList, alreadyThere);
    QFETCH(QString, refused);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString outDir = folder.filePath("out/sub"), inDir = folder.filePath("in");
    QVERIFY(QDir().mkpath(outDir) && QDir().mkpath(inDir));
    std::vector<Sent> files;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const Sent sent{names[i], storedAs[i], randomBytes(sizes[i], quint32(i + 1))};
        QVERIFY(writeFile(QDir(outDir).absoluteFilePath(sent.announced), sent.bytes));
        files.push_back(sent);
    }
    const QByteArray oldContent("already here\n");
    for (const auto& name : alreadyThere)
        QVERIFY(writeFile(inDir + "/" + name, oldContent));

    PtyRelay line;
    const QString a = QString::fromStdString(line.path(PtyRelay::A)),
                  b = QString::fromStdString(line.path(PtyRelay::B));
    QVERIFY2(!a.isEmpty(), "no pseudo-terminals");
    QProcess receiver, sender;
    if (oursSends) {
        startOnLink(receiver, inDir, b, {"rz", "-vv"});
        startOnLink(sender, outDir, a, QStringList{tool(), "send"} + names);
    } else {
        startOnLink(receiver, inDir, b, {tool(), "receive", "."});
        startOnLink(sender, outDir, a, QStringList{"sz", "-vv"} + names);
    }
    QVERIFY2(sender.waitForFinished(kTransferMs), "sender did not finish");
    QVERIFY2(receiver.waitForFinished(kTransferMs), "receiver did not finish");
    const QByteArray log =
        "sender: " + sender.readAllStandardError() + "\nreceiver: " + receiver.readAllStandardError();
    QVERIFY2(sender.exitStatus() == QProcess::NormalExit && sender.exitCode() == (refused.isEmpty() ? 0 : 1),
             log.constData());
    QVERIFY2(log.contains(refused.toUtf8()), log.constData());
    QVERIFY2(receiver.exitStatus() == QProcess::NormalExit && receiver.exitCode() == 0, log.constData());

    for (const auto& sent : files) {
        if (sent.storedAs.isEmpty())
            continue;
        QCOMPARE(readFile(inDir + "/" + sent.storedAs), sent.bytes);
    }
    for (const auto& name : alreadyThere)
        QCOMPARE(readFile(inDir + "/" + name), oldContent);
    // in/../escape.txt would be the folder above the receive folder.
    QVERIFY2(!QFile::exists(folder.filePath("escape.txt")), "a file landed outside the receive folder");
    // Nothing else: no temporary files, nothing under another name.
    QStringList expected = storedAs + alreadyThere;
    expected.removeAll(QString());
    QStringList present = QDir(inDir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    expected.sort();
    present.sort();
    QCOMPARE(present, expected);
}

QTEST_APPLESS_MAIN(ZmodemLrzszInteropTest)
#include "zmodem_lrzsz_interop_test.moc"
