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

// The receive screen's lines as the file keeps them, every byte as it
// stands. A line break at the very end starts no line of its own.
QByteArray receiveScreenBytes(const TScreenMemo* screen)
{
    QStringList lines = screenLines(*screen->document());
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return screenFileBytes(lines);
}

// Through a temporary file: a failed write leaves the file as it was.
bool writeReceiveScreen(const TScreenMemo* screen, QString* error)
{
    closeLogHandle();
    const std::optional<QString> failure =
        replaceFile(QFile::decodeName(slotBytes(G.LogFilePath)), receiveScreenBytes(screen));
    if (failure)
        *error = *failure;
    return !failure;
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
        QString error;
        if (!writeReceiveScreen(ReceiveScreen, &error)) {
            // The log stays on with its file, so the next "OFF" tries again.
            nrLogFile1->Log(
                QStringLiteral("log file %1: %2").arg(QFile::decodeName(slotBytes(G.LogFilePath)), error));
            Query().messageBox(this, QStringLiteral("Could not write the log file"), LogBoxCaption);
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
    QString error;
    if (!writeReceiveScreen(ReceiveScreen, &error)) {
        // Nothing may hold up the close: the trace and standard error say it.
        const QString line = QStringLiteral("Could not write the log file %1: %2")
                                 .arg(QFile::decodeName(slotBytes(G.LogFilePath)), error);
        nrLogFile1->Log(line);
        std::fprintf(stderr, "quillmar: %s\n", qPrintable(line));
    }
}
