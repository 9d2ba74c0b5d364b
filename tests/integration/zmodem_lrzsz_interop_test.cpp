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
    process.start("/bin/sh",
                  QStringList{"-c", "link=$1; shift; exec \"$@\" <\"$link\" >\"$link\"", "sh", link} +
                      command);
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
    QTest::addColumn<QStringList>("names"); // sizes 0, 1, 1023, 1024, 1025, 3 MiB, 5000, ... in turn
    QTest::addColumn<QString>("alreadyThere");
    QTest::addColumn<QString>("refused"); // what our sender reports rz refused; it then exits 1

    const QStringList names{"empty", "one", "k-1", "k", "k+1", "three-mib", "net log 3.txt"};
    QTest::newRow("sz to ours: sizes 0 to 3 MiB in one session") << false << names << QString() << QString();
    QTest::newRow("ours to rz: sizes 0 to 3 MiB in one session") << true << names << QString() << QString();
    // rz refuses to replace a file: our sender takes the ZSKIP, carries on, and says it was refused.
    QTest::newRow("ours to rz: existing name is refused")
        << true << QStringList{"next.txt", "report.txt", "last.txt"} << "report.txt"
        << "the far end refused report.txt";
}

void ZmodemLrzszInteropTest::transfersAgainstLrzsz()
{
    QFETCH(bool, oursSends);
    QFETCH(QStringList, names);
    QFETCH(QString, alreadyThere);
    QFETCH(QString, refused);

    QTemporaryDir folder;
    const QString outDir = folder.filePath("out/sub"), inDir = folder.filePath("in");
    QVERIFY(folder.isValid() && QDir().mkpath(outDir) && QDir().mkpath(inDir));
    const QList<int> sizes{0, 1, 1023, 1024, 1025, 3 << 20, 5000};
    QList<QByteArray> contents;
    for (qsizetype i = 0; i < names.size(); ++i) {
        QRandomGenerator random(quint32(i + 1));
        QByteArray bytes(sizes[i], Qt::Uninitialized);
        for (auto& b : bytes)
            b = char(random.generate());
        QVERIFY(writeFile(QDir(outDir).filePath(names[i]), bytes));
        contents << bytes;
    }
    const QByteArray oldContent("already here\n");
    if (!alreadyThere.isEmpty())
        QVERIFY(writeFile(inDir + "/" + alreadyThere, oldContent));

    PtyRelay line;
    const QString a = QString::fromStdString(line.path(PtyRelay::A)),
                  b = QString::fromStdString(line.path(PtyRelay::B));
    QVERIFY2(!a.isEmpty(), "no pseudo-terminals");
    QProcess receiver, sender;
    startOnLink(receiver, inDir, b,
                oursSends ? QStringList{"rz", "-vv"} : QStringList{tool(), "receive", "."});
    startOnLink(sender, outDir, a,
                (oursSends ? QStringList{tool(), "send"} : QStringList{"sz", "-vv"}) + names);
    QVERIFY2(sender.waitForFinished(kTransferMs), "sender did not finish");
    QVERIFY2(receiver.waitForFinished(kTransferMs), "receiver did not finish");
    const QByteArray log =
        "sender: " + sender.readAllStandardError() + "\nreceiver: " + receiver.readAllStandardError();
    QVERIFY2(sender.exitStatus() == QProcess::NormalExit && sender.exitCode() == (refused.isEmpty() ? 0 : 1),
             log.constData());
    QVERIFY2(log.contains(refused.toUtf8()), log.constData());
    QVERIFY2(receiver.exitStatus() == QProcess::NormalExit && receiver.exitCode() == 0, log.constData());

    for (qsizetype i = 0; i < names.size(); ++i)
        QCOMPARE(readFile(inDir + "/" + names[i]), names[i] == alreadyThere ? oldContent : contents[i]);
    // Nothing else: no temporary files, nothing under another name.
    QStringList present = QDir(inDir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    present.sort();
    names.sort();
    QCOMPARE(present, names);
}

QTEST_APPLESS_MAIN(ZmodemLrzszInteropTest)
#include "zmodem_lrzsz_interop_test.moc"
