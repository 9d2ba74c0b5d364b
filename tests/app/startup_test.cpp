// Start-up and shut-down of the main window with no settings file: the defaults, the banner, the close
// sequence, the termination signal handler and the status memo.

#include "app/combo_box.h"
#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "app/termination_signals.h"
#include "link/nr_comm.h"
#include "link/nr_log_file.h"
#include "screens/screen_memo.h"
#include "file_bytes.h"
#include "window_fixture.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QTest>

#include <cerrno>
#include <csignal>

namespace {
int signalsSeen = 0;
} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void firstShow()
    {
        // Dual screen: the banner and the prompt in the transmit screen, where the typing goes.
        WindowFixture f;
        G.ScreenMode = 2;
        Ferrow->ReceiveScreen->setPlainText(QStringLiteral("left over"));
        QGuiApplication::clipboard()->setText(QStringLiteral("operator's text"));
        f.show();

        QCOMPARE(Ferrow->TransmitScreen->toPlainText(), QStringLiteral("Quillmar EMCOMM/ARES Program \n< "));
        QCOMPARE(Ferrow->ReceiveScreen->toPlainText(), QString());
        QCOMPARE(G.ActiveScreen, 1);
        const QPlainTextEdit* typing = Ferrow->TransmitScreen;
        QCOMPARE(typing->textCursor().position(),
                 typing->document()->characterCount() - 1); // caret at the end
        QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
        QCOMPARE(Ferrow->TNCSelect->currentIndex(), 8);
        QCOMPARE(Ferrow->nrComm1->GetTerminalUsage(), 2);
        // No port, no TNC: the only thing on the record is the banner's pause.
        QCOMPARE(f.transcript.entries, QStringList{QStringLiteral("pause 100")});
    }

    void closeSequenceRunsOnce_data()
    {
        QTest::addColumn<bool>("viaExitMenu");
        QTest::addColumn<QString>("failing"); // "write": sending throws; "close": closing the port throws
        QTest::addColumn<int>("closes");
        QTest::addColumn<QString>("traced");
        QTest::newRow("close box") << false << "" << 1 << "";
        QTest::newRow("File > Exit") << true << "" << 1 << "";
        // With a settings file in use; a step that throws leaves the save at the end in place.
        QTest::newRow("the termination line throws: the port closes, the settings are saved")
            << false << "write" << 1 << "closing: termination lines failed: fake write failure";
        QTest::newRow("closing the port throws: the received text goes in, the settings are saved")
            << true << "close" << 0 << "closing: the port failed: fake close failure";
    }

    void closeSequenceRunsOnce()
    {
        QFETCH(bool, viaExitMenu);
        QFETCH(QString, failing);
        QFETCH(int, closes);
        QFETCH(QString, traced);
        WindowFixture f;
        f.show();
        openFakePort(1);
        QVERIFY(Ferrow->nrComm1->GetActive());
        G.SelectedTnc = 0;
        G.TncTermCommands[0][0].store("BYE");
        f.device()->writeThrows = failing == "write";
        f.device()->closeThrows = failing == "close";
        const QString settingsFile = f.home() + QStringLiteral("Quillmar.cfg");
        if (!failing.isEmpty())
            G.SettingsFilePath.store(QFile::encodeName(settingsFile).toStdString());
        f.transcript.clear();
        int finished = 0;
        QObject::connect(Ferrow, &TFerrow::closeSequenceFinished, [&finished] { ++finished; });
        f.device()->inject("73 de N0CALL\r"); // still waiting for its frame

        if (viaExitMenu)
            Ferrow->Exit2->trigger();
        else
            Ferrow->close();
        f.device()->closeThrows = false;
        QVERIFY(Ferrow->closeSequenceDone());
        QCOMPARE(f.device()->closes, closes);
        QCOMPARE(Ferrow->nrComm1->GetActive(), closes == 0);
        QCOMPARE(finished, 1); // the application is told to end, whatever failed
        QCOMPARE(Ferrow->ReceiveScreen->toPlainText(), QStringLiteral("73 de N0CALL\n"));
        const QStringList failures =
            Ferrow->LogScreen->toPlainText().split('\n').filter(QStringLiteral("closing:"));
        QCOMPARE(failures, traced.isEmpty() ? QStringList{} : QStringList{traced});
        if (failing.isEmpty())
            QCOMPARE(f.transcript.entries,
                     (QStringList{"SendString BYE", "pause 25", "SendChar 13", "pause 150"}));

        // A second close request (a signal during shut-down) does not run the sequence again.
        QString reason;
        QVERIFY(f.device()->open(QStringLiteral("/dev/again"), {}, &reason));
        QCloseEvent again;
        QCoreApplication::sendEvent(Ferrow, &again);
        QCOMPARE(f.device()->closes, closes);
        QCOMPARE(finished, 2);
        // Without a settings file at start nothing is created at close.
        QCOMPARE(QFile::exists(settingsFile), !failing.isEmpty());
    }

    void programFolderTooLongForTheSettingsPath()
    {
        // A program folder of 250 bytes: the settings path does not fit its 255-byte slot. No settings are
        // kept (nothing written at a path cut short), and the trace says why.
        WindowFixture f;
        const qsizetype pad = 250 - f.home().toUtf8().size() - 2;
        const QString folder = f.home() + QString(pad / 2, u'd') + '/' + QString(pad - pad / 2, u'e') + '/';
        QCOMPARE(folder.toUtf8().size(), 250);
        QVERIFY(QDir().mkpath(folder) && writeFile(folder + "Quillmar.cfg", {}));
        DestroyForms();
        G = ProcessState{};
        qputenv("QUILLMAR_HOME", folder.toUtf8());
        CreateForms();
        f.show();
        Ferrow->close();
        QVERIFY(G.SettingsFilePath.empty());
        QVERIFY(Ferrow->LogScreen->toPlainText().contains("settings not kept"));
        QStringList files = QDir(folder).entryList(QDir::Files);
        files.removeAll("nrcommlib.log"); // the trace
        QCOMPARE(files, QStringList{"Quillmar.cfg"});
        QCOMPARE(readFile(folder + "Quillmar.cfg"), QByteArray());
    }

    // The handler may interrupt code about to read errno: it leaves errno as it was, also with a full pipe.
    void signalHandlerKeepsErrno()
    {
        closeOnTerminationSignals([] { ++signalsSeen; });
        for (int i = 0; i < 20000; ++i) {
            errno = ENOTTY;
            ::raise(SIGHUP);
            if (errno != ENOTTY)
                QFAIL(qPrintable(QStringLiteral("errno changed by signal %1").arg(i + 1)));
        }
        QTRY_VERIFY(signalsSeen > 0);
    }

    void statusMemoLines_data()
    {
        QTest::addColumn<QStringList>("texts"); // "trace:LINE" from the serial layer, "status:TEXT"
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, const QStringList& texts, const QString& shown) {
            QTest::newRow(name) << texts << shown;
        };
        row("trace lines one below the other, then a status text on its own line",
            {"trace:COM1 open", "trace:pseudo-terminal: it carries 8 bits", "status:Sending...\r"},
            "COM1 open\npseudo-terminal: it carries 8 bits\nSending...\n");
        row("a status text that begins with CR adds no blank line",
            {"status:Sending...\r", "status:\rReceiving...\r", "status:\r\nEnd of Transfers\r"},
            "Sending...\nReceiving...\nEnd of Transfers\n");
    }

    void statusMemoLines()
    {
        QFETCH(QStringList, texts);
        WindowFixture f;
        f.show();
        Ferrow->LogScreen->clear();
        for (const QString& t : texts) {
            const QString text = t.mid(t.indexOf(QLatin1Char(':')) + 1);
            if (t.startsWith(QLatin1String("trace:")))
                Ferrow->nrLogFile1->Log(text);
            else
                Ferrow->AppendStatusText(text.toLatin1());
            Ferrow->LogScreen->moveCursor(QTextCursor::Start); // a click into the memo moves no text
        }
        QTEST(Ferrow->LogScreen->toPlainText(), "shown");
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
