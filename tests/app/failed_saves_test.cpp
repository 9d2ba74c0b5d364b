// Every writer of a file the operator keeps, on a write refused as a full disk refuses it (a size limit:
// "File too large") and in a folder that takes no new file: the file that was there keeps every byte, and
// the operator (the trace, for the settings) is told why in the system's words.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "screens/screen_memo.h"
#include "file_bytes.h"
#include "refused_writes.h"
#include "window_fixture.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <sys/stat.h>

namespace {

// About `size` bytes of printable lines.
QString textOf(int size)
{
    QString text;
    for (int i = 0; text.size() < size; ++i)
        text += QStringLiteral("line %1 of the traffic, QST de N0CALL\n").arg(i, 5, 10, QLatin1Char('0'));
    return text;
}

void chmodOrDie(const QString& path, mode_t mode)
{
    if (::chmod(QFile::encodeName(path).constData(), mode) != 0)
        qFatal("cannot chmod %s", qPrintable(path));
}

} // namespace

class FailedSavesTest : public QObject {
    Q_OBJECT
private slots:
    void refusedWrite_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<int>("payload");    // bytes of text to save
        QTest::addColumn<int>("limit");      // bytes a write may reach; 0: none
        QTest::addColumn<bool>("locked");    // the folder takes no new file
        QTest::addColumn<QString>("reason"); // what the operator is told; empty: the save succeeds
        const QString tooLarge = QStringLiteral("File too large");
        for (const char* writer :
             {"Save Receive", "Save Transmit", "Save Clipboard", "Log OFF", "settings"}) {
            const auto row = [&](const char* scene, int payload, int limit, bool locked,
                                 const QString& reason) {
                QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(writer, scene)))
                    << writer << payload << limit << locked << reason;
            };
            if (QByteArray(writer) != "settings") // its file is always 313985 bytes
                row("full disk, a payload under 16 KiB", 3000, 1024, false, tooLarge);
            row("full disk, a large payload", 200000, 65536, false, tooLarge);
            row("locked folder, full disk: put back in place", 200000, 65536, true, tooLarge);
            row("locked folder: written in place", 3000, 0, true, {});
        }
    }

    void refusedWrite()
    {
        QFETCH(QString, writer);
        QFETCH(int, payload);
        QFETCH(int, limit);
        QFETCH(bool, locked);
        QFETCH(QString, reason);
        WindowFixture f;
        f.show();
        const QString folder = f.home().chopped(1);
        const QString path = f.home() + (writer == "settings" ? QStringLiteral("Quillmar.cfg") : "kept.rtf");
        const QString text = textOf(payload);
        TextSlot settingsPath;
        storeBytes(settingsPath, QFile::encodeName(path));
        if (writer == "Log OFF") { // the old file is the header the log wrote when it went on
            f.query.fileAnswers << path;
            Ferrow->LogBtn->click();
            QCOMPARE(G.LogActive, 1);
        } else {
            QVERIFY(writeFile(path, pattern(70000, 7)));
        }
        const QByteArray old = readFile(path);
        chmodOrDie(folder, 0755);
        giveToOrdinaryUser(folder);
        giveToOrdinaryUser(path);
        if (locked)
            chmodOrDie(folder, 0555);
        Ferrow->ReceiveScreen->setPlainText(writer == "Save Transmit" ? QString() : text);
        Ferrow->TransmitScreen->setPlainText(writer == "Save Transmit" ? text : QString());
        QGuiApplication::clipboard()->setText(text);
        f.query.fileAnswers << path;
        const qsizetype traceBefore = Ferrow->LogScreen->toPlainText().size();
        {
            const RefusedWrites refused{rlim_t(limit)};
            if (writer == "Save Receive")
                Ferrow->Save1Click();
            else if (writer == "Save Transmit")
                Ferrow->SaveAs1Click();
            else if (writer == "Save Clipboard")
                Ferrow->SaveClipboard1Click();
            else if (writer == "Log OFF")
                Ferrow->LogBtn->click();
            else
                Ferrow->SaveSettings(settingsPath);
        }
        chmodOrDie(folder, 0755);

        const QByteArray now = readFile(path);
        if (!reason.isEmpty())
            QVERIFY2(now == old,
                     qPrintable(QStringLiteral("%1 of %2 bytes kept").arg(now.size()).arg(old.size())));
        else
            QVERIFY(now != old && now.size() > 1000);
        // Nothing of a temporary file is left beside it.
        QCOMPARE(QDir(folder)
                     .entryList({QStringLiteral("kept.rtf*"), QStringLiteral("Quillmar.cfg*")},
                                QDir::Files | QDir::Hidden)
                     .size(),
                 1);
        if (writer == "settings") {
            // No box: the trace says why.
            QCOMPARE(f.query.boxes, QStringList());
            const QString trace = Ferrow->LogScreen->toPlainText().mid(traceBefore);
            QCOMPARE(trace.contains(QStringLiteral("settings not saved")), !reason.isEmpty());
            QVERIFY2(trace.contains(reason), qPrintable(trace));
            return;
        }
        QCOMPARE(f.query.boxes.size(), reason.isEmpty() ? 0 : 1);
        if (!reason.isEmpty())
            QVERIFY2(f.query.boxes[0].endsWith(QStringLiteral(": %1").arg(reason)) ||
                         f.query.boxes[0].endsWith(QStringLiteral(": %1.").arg(reason)),
                     qPrintable(f.query.boxes[0]));
        if (writer == "Log OFF") // a failed write leaves the log on, to be tried again
            QCOMPARE(G.LogActive, reason.isEmpty() ? 0 : 1);
    }
};

QTEST_MAIN(FailedSavesTest)
#include "failed_saves_test.moc"
