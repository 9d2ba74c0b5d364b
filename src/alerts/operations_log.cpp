// The operations log: "Log" switches it on (a new file marked with a header
// line) and off (the whole receive screen written into that file); closing
// the program with the log on writes it the same way.

#include "app/ferrow.h"

#include "alerts/log_file.h"
#include "app/caption_color.h"
#include "app/seams.h"
#include "app/state.h"
#include "docs/screen_file.h"
#include "link/nr_log_file.h"
#include "screens/screen_memo.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include <cstdio>

namespace {

const QColor LogOnColor(255, 0, 0);
const QColor LogOffColor(0, 0x80, 0);
const QString LogBoxCaption = QStringLiteral("Log File Open");

void closeLogHandle()
{
    if (G.LogFileHandle) {
        std::fclose(G.LogFileHandle);
        G.LogFileHandle = nullptr;
    }
}

QString logFilePath()
{
    return QFile::decodeName(slotBytes(G.LogFilePath));
}

// Through a temporary file: a failed write leaves the file as it was. The
// reason, in the system's words, on failure.
std::optional<QString> writeReceiveScreen(const TScreenMemo* screen)
{
    closeLogHandle();
    return replaceFile(logFilePath(), screenFileOf(*screen));
}

// Where a log that cannot be written at close is kept instead.
QStringList rescueFolders()
{
    return {QFile::decodeName(slotBytes(G.ProgramFolder)), QDir::homePath(), QDir::tempPath()};
}

} // namespace

void TFerrow::LogBtnClick()
{
    // Received text still waiting reaches the screen first, under the log
    // state it arrived in, and is part of what OFF writes.
    flushPendingReceive();
    if (G.LogActive == 0) {
        FileDialogOptions dialog;
        dialog.caption = QStringLiteral("Operations Log File");
        dialog.filter = QStringLiteral("Rich Edit Files (*.rtf)");
        dialog.defaultSuffix = QStringLiteral("rtf");
        dialog.fileName = OpenLogDialogFileName;
        // A save dialog: it can name a new file, and it asks before an
        // existing one is emptied.
        if (const std::optional<QString> chosen = Query().saveFile(dialog)) {
            OpenLogDialogFileName = *chosen;
            const QByteArray path = QFile::encodeName(*chosen);
            if (path.size() > qsizetype(TextSlot::MaxText)) {
                Query().messageBox(this, QStringLiteral("The log file path is longer than 255 characters"),
                                   LogBoxCaption);
                return;
            }
            storeBytes(G.LogFilePath, path);
            QString error;
            G.LogFileHandle = createLogFile(path, &error);
            if (!G.LogFileHandle) {
                nrLogFile1->Log(QStringLiteral("log file %1: %2").arg(*chosen, error));
                Query().messageBox(this, QStringLiteral("Could not open the log file"), LogBoxCaption);
                return;
            }
            G.LogFileState = LogFileOpen;
            G.LogActive = 1;
            LogBtn->setText(QStringLiteral("ON"));
            setCaptionColor(LogBtn, LogOnColor);
            TmpRcvBuf->clear();
            ShowStatus(QStringLiteral("Logging to %1").arg(*chosen));
        }
    } else {
        if (const std::optional<QString> failure = writeReceiveScreen(ReceiveScreen)) {
            // The log stays on with its file, so the next "OFF" tries again.
            nrLogFile1->Log(QStringLiteral("log file %1: %2").arg(logFilePath(), *failure));
            Query().messageBox(this, QStringLiteral("Could not write the log file: %1").arg(*failure),
                               LogBoxCaption);
            return;
        }
        G.LogActive = 0;
        LogBtn->setText(QStringLiteral("OFF"));
        setCaptionColor(LogBtn, LogOffColor);
        G.LogFileState = LogFileClosed;
    }
    FocusTypingScreen();
}

void TFerrow::CloseLogAtExit()
{
    if (G.LogFileState != LogFileOpen)
        return;
    flushPendingReceive();
    const std::optional<QString> failure = writeReceiveScreen(ReceiveScreen);
    if (!failure)
        return;
    // Nothing may hold up the close: the text goes to a rescue file, and the
    // trace and standard error say where.
    QString line = QStringLiteral("Could not write the log file %1: %2").arg(logFilePath(), *failure);
    QString problems;
    const QString rescue = writeRescueLog(screenFileOf(*ReceiveScreen), rescueFolders(),
                                          QDateTime::currentDateTime(), &problems);
    line += rescue.isEmpty() ? QStringLiteral("; the log text is lost (%1)").arg(problems)
                             : QStringLiteral("; its text is in %1").arg(rescue);
    nrLogFile1->Log(line);
    std::fprintf(stderr, "quillmar: %s\n", qPrintable(line));
}
