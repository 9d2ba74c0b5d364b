// The operations log on a real file in the test's program folder: switched on (the header), switched off and
// closed with the log on (the receive screen with CR LF), and every way it can fail.

#include "app/ferrow.h"
#include "app/forms.h"
#include "alerts/log_file.h"
#include "app/state.h"
#include "file_bytes.h"
#include "screens/screen_memo.h"
#include "window_fixture.h"

#include <QDateTime>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray NoFile = "<no file>";
const QByteArray Header("Quillmar Operations Log File\r\r\0", 31);
const QString CannotWrite = "Log File Open|Could not write the log file: it is not a plain file";
// Folders under the program folder that make a path of more than 255 bytes.
const QString DeepFolder = QString(120, 'd') + '/' + QString(120, 'e') + '/';

void runStep(WindowFixture& f, const QString& step)
{
    QString arg = step.section(' ', 1);
    if (step.startsWith("screen "))
        Ferrow->ReceiveScreen->setPlainText(arg.replace('|', '\n'));
    else if (step.startsWith("existing "))
        QVERIFY(writeFile(f.home() + arg, "earlier content"));
    else if (step.startsWith("Log")) {
        if (!arg.isEmpty())
            f.query.fileAnswers << (arg == "cancel" ? std::nullopt : std::optional(f.home() + arg));
        Ferrow->LogBtn->click();
    } else if (step.startsWith("block ")) // the file turns into a folder: it cannot be written
        QVERIFY(QFile::remove(f.home() + arg) && QDir(f.home()).mkdir(arg));
    else if (step.startsWith("unblock "))
        QVERIFY(QDir(f.home()).rmdir(arg));
    else if (step == "close")
        Ferrow->close();
    else
        QFAIL(qPrintable("unknown step " + step));
}

} // namespace

class OperationsLogTest : public QObject {
    Q_OBJECT
private slots:
    void logButton_data();
    void logButton();
    void rescueFolder_data();
    void rescueFolder();
};

void OperationsLogTest::logButton_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("on");
    const auto row = [](const char* name, const QString& steps, const QByteArray& content, bool on,
                        const QString& box = {}) {
        QTest::newRow(name) << steps.split(", ") << content
                            << (box.isEmpty() ? QStringList() : QStringList{box}) << on;
    };
    row("on: an existing file emptied, then exactly the 31 header bytes",
        "screen before, existing ops.rtf, Log ops.rtf", Header, true);
    row("on then off: the whole screen, what came before and empty lines too, every byte, CR LF ends",
        QString::fromLatin1("screen before the log||caf\xe9\xa0!|, Log ops.rtf, Log"),
        "before the log\r\n\r\ncaf\xe9\xa0!\r\n", false);
    row("close with log on writes as OFF", "screen last words, Log ops.rtf, close", "last words\r\n", true);
    row("closing after the log went off leaves the file alone",
        "screen first, Log ops.rtf, Log, screen second, close", "first\r\n", false);
    row("cancelled dialog: nothing changes", "Log cancel", NoFile, false);
    row("a file that cannot be created: the box, the log stays off", "Log no-such-folder/ops.rtf", NoFile,
        false, "Log File Open|Could not open the log file");
    row("a path over 255 characters is refused, not cut", "Log " + DeepFolder + "ops.rtf", NoFile, false,
        "Log File Open|The log file path is longer than 255 characters");
    row("a failed write at OFF: the box, the log stays ON; the next OFF writes the screen",
        "screen kept, Log ops.rtf, block ops.rtf, Log, unblock ops.rtf, Log", "kept\r\n", false, CannotWrite);
    row("a failed write at close: no box holds the close up, the trace says it",
        "screen kept, Log ops.rtf, block ops.rtf, close", NoFile, true);
}

void OperationsLogTest::logButton()
{
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, boxes);
    QFETCH(bool, on);
    WindowFixture f;
    QVERIFY(QDir(f.home()).mkpath(DeepFolder));
    f.show();
    for (const QString& step : steps) {
        const qsizetype boxesBefore = f.query.boxes.size();
        Ferrow->ReceiveScreenClick();
        runStep(f, step);
        // The button hands the keyboard back unless it stopped at a box.
        if (step.startsWith("Log"))
            QCOMPARE(G.ActiveScreen, f.query.boxes.size() == boxesBefore ? 1 : 0);
    }
    // The file last chosen, in the program folder.
    QCOMPARE(readFile(f.home() + steps.filter(QRegularExpression("^Log .")).last().mid(4), NoFile), content);
    QCOMPARE(f.query.boxes, boxes);
    QCOMPARE(QList({G.LogActive, G.LogFileState}), QList({on ? 1 : 0, on ? 1 : 2}));
    // The button keeps its look at close.
    QCOMPARE(Ferrow->LogBtn->text() + Ferrow->LogBtn->palette().color(QPalette::ButtonText).name(),
             on ? "ON#ff0000" : "OFF#008000");
    const bool failedAtClose = steps.contains("close") && content == NoFile;
    QCOMPARE(Ferrow->LogScreen->toPlainText().contains("Could not write the log file"), failedAtClose);
    // A log that could not be written at close is rescued into the program folder, and the trace says where.
    const QStringList rescued = QDir(f.home()).entryList({"Quillmar-log-rescue-*.txt"});
    QCOMPARE(rescued.size(), failedAtClose ? 1 : 0);
    if (failedAtClose) {
        QVERIFY(QRegularExpression("^Quillmar-log-rescue-\\d{8}-\\d{6}\\.txt$").match(rescued[0]).hasMatch());
        QCOMPARE(readFile(f.home() + rescued[0]), QByteArray("kept\r\n"));
        QVERIFY(Ferrow->LogScreen->toPlainText().contains("its text is in " + f.home() + rescued[0]));
    }
    // A save dialog for rich-edit files, offering the name chosen last.
    for (const FileDialogOptions& dialog : f.query.fileDialogs) {
        QCOMPARE(dialog.filter + "|" + dialog.defaultSuffix, QString("Rich Edit Files (*.rtf)|rtf"));
        if (&dialog != &f.query.fileDialogs.first())
            QCOMPARE(dialog.fileName, f.home() + "ops.rtf");
    }
    QCOMPARE(f.query.queries.filter("open|"), QStringList());
}

QTEST_MAIN(OperationsLogTest)
#include "operations_log_test.moc"

void OperationsLogTest::rescueFolder_data()
{
    // Three folders in order: the program folder, home, temporary; "taken": holds a rescue file of the
    // same second, "missing": does not exist.
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<int>("chosen"); // -1: none
    QTest::newRow("the program folder first") << QStringList{"", "", ""} << 0;
    QTest::newRow("an existing file of that name is never replaced: home")
        << QStringList{"taken", "", ""} << 1;
    QTest::newRow("no program folder, home taken: the temporary folder")
        << QStringList{"missing", "taken", ""} << 2;
    QTest::newRow("nowhere: nothing written, each reason given")
        << QStringList{"missing", "taken", "missing"} << -1;
}

void OperationsLogTest::rescueFolder()
{
    QFETCH(QStringList, folders);
    QFETCH(int, chosen);
    QTemporaryDir top;
    const QDateTime at(QDate(2026, 12, 7), QTime(13, 5, 9));
    const QString name = "Quillmar-log-rescue-20261207-130509.txt";
    QStringList paths;
    for (int i = 0; i < folders.size(); ++i) {
        paths << top.filePath(QString::number(i));
        if (folders[i] != "missing")
            QVERIFY(QDir().mkpath(paths[i]));
        if (folders[i] == "taken")
            QVERIFY(writeFile(paths[i] + '/' + name, "earlier rescue"));
    }
    QString problems;
    const QString written = writeRescueLog("log text\r\n", paths, at, &problems);
    QCOMPARE(written, chosen < 0 ? QString() : paths[chosen] + '/' + name);
    for (int i = 0; i < folders.size(); ++i)
        QCOMPARE(readFile(paths[i] + '/' + name, NoFile),
                 i == chosen                 ? QByteArray("log text\r\n")
                     : folders[i] == "taken" ? QByteArray("earlier rescue")
                                             : NoFile);
    QCOMPARE(problems.contains("File exists"), chosen < 0);
    QCOMPARE(problems.contains("No such file or directory"), chosen < 0);
}
