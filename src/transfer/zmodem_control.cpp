// The ZModem panel and menu: choosing and sending a file, stopping a
// transfer, receiving on or off, connected-mode sends, the receive directory
// and the connect command, and the status lines a transfer writes.

#include "app/ferrow.h"

#include "app/seams.h"
#include "app/state.h"
#include "app/status_memo.h"
#include "link/nr_comm.h"
#include "screens/clipboard_insert.h"
#include "transfer/nr_zmodem.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

// The current file name as a status line.
QByteArray fileLine(const TnrZModem* zmodem)
{
    return zmodem->GetCurrentFileName().toLatin1() + '\r';
}

} // namespace

void TFerrow::AppendStatusText(const QByteArray& text)
{
    // Status texts go at the end, each on a line of its own, whatever the
    // trace wrote before them or wherever the operator clicked.
    QTextCursor end = LogScreen->textCursor();
    end.movePosition(QTextCursor::End);
    LogScreen->setTextCursor(end);
    insertThroughClipboard(TmpRcvBuf, LogScreen, onItsOwnLine(LogScreen, text));
    end.movePosition(QTextCursor::End);
    LogScreen->setTextCursor(end);
}

void TFerrow::ZFileOpenBtnClick()
{
    FileDialogOptions dialog;
    dialog.caption = QStringLiteral("Open");
    dialog.fileName = ZModemEdit->text();
    if (const std::optional<QString> file = Query().openFile(dialog)) {
        ZModemEdit->setText(*file);
        G.ZModemFileChosen = 1;
    } else {
        G.ZModemFileChosen = 0;
    }
}

void TFerrow::ZSendBtnClick()
{
    if (!ZEnable->isChecked()) {
        Query().messageBox(this, QStringLiteral("ZModem Rcv Active must be checked"),
                           QStringLiteral("ZModem Error"));
        return;
    }
    // Nothing may go into a running session, not even the connect command.
    if (nrZModem1->GetTransferring()) {
        AppendStatusText("Z-Send refused: a transfer is running (Break ends it)\r");
        return;
    }
    if (G.ZModemConverse == ZModemConverseOn) {
        nrComm1->SendString(slotBytes(G.ZModemConnectCommand));
        nrComm1->SendChar(13);
        Pause(750);
    }
    if (G.ZModemFileChosen != 1) {
        Query().messageBox(this, QStringLiteral(" A file must be specified"), QStringLiteral("ZModem Error"));
        return;
    }
    AppendStatusText("Sending...\r");
    nrZModem1->Send(ZModemEdit->text());
    ZSendBtn->setEnabled(false);
    ZBreakBtn->setEnabled(true);
    AppendStatusText(fileLine(nrZModem1));
}

void TFerrow::ZBreakBtnClick()
{
    AppendStatusText("Aborted\r");
    nrZModem1->Abort();
    ZBreakBtn->setEnabled(false);
    FocusTypingScreen();
}

void TFerrow::nrZModem1Abort()
{
    ZSendBtn->setEnabled(true);
    if (G.ZModemConverse == ZModemConverseOn) {
        nrComm1->SendString(QByteArray(1, char(G.CommandChar)));
        nrComm1->SendString("DISCONNECT\r");
    }
    ZProgressBar->setValue(0);
    FocusTypingScreen();
}

void TFerrow::nrZModem1BeforeReceived()
{
    AppendStatusText("\rReceiving...\r");
    AppendStatusText(fileLine(nrZModem1));
    ZSendBtn->setEnabled(false);
    // An incoming transfer ties up the radio channel: the operator can stop it.
    ZBreakBtn->setEnabled(true);
}

void TFerrow::nrZModem1AfterFileReceived()
{
    AppendStatusText("\rFile Received\r");
    ZSendBtn->setEnabled(true);
    ZBreakBtn->setEnabled(false);
    ZProgressBar->setValue(0);
    FocusTypingScreen();
}

void TFerrow::nrZModem1AfterFileSent()
{
    if (G.ZModemConverse == ZModemConverseOn) {
        nrComm1->SendString(QByteArray(1, char(G.CommandChar)));
        nrComm1->SendString("DISCONNECT\r");
    }
    AppendStatusText("File Sent\r");
    ZProgressBar->setValue(0);
    ZSendBtn->setEnabled(true);
    ZBreakBtn->setEnabled(false);
    FocusTypingScreen();
}

void TFerrow::nrZModem1SuccessfulEnd()
{
    AppendStatusText("\rEnd of Transfers\r");
    FocusTypingScreen();
}

// A remote start may be another station's transfer heard on the channel: the
// operator can end it from its first byte.
void TFerrow::nrZModem1ReceiveStarted()
{
    ZBreakBtn->setEnabled(true);
}

// However the session ended (by itself, by the far end, by a refusal), the
// controls come back as they are when idle.
void TFerrow::nrZModem1TransferEnded()
{
    if (nrZModem1->GetTransferring())
        return;
    ZSendBtn->setEnabled(true);
    ZBreakBtn->setEnabled(false);
}

void TFerrow::ZEnableClick()
{
    ZEnable->setChecked(true);
    ZDisable->setChecked(false);
    nrZModem1->SetActive(true);
    G.ZModemEnabled = 1;
}

void TFerrow::ZDisableClick()
{
    ZDisable->setChecked(true);
    ZEnable->setChecked(false);
    nrZModem1->SetActive(false);
    G.ZModemEnabled = 0;
}

void TFerrow::ConverseOnClick()
{
    ConverseOn->setChecked(true);
    ConverseOff->setChecked(false);
    G.ZModemConverse = ZModemConverseOn;
}

void TFerrow::ConverseOffClick()
{
    ConverseOff->setChecked(true);
    ConverseOn->setChecked(false);
    G.ZModemConverse = ZModemConverseOff;
}

void TFerrow::RcvDirClick()
{
    // Only a confirmed, non-empty answer is stored.
    if (Query().textQuery(QStringLiteral("Default Directory"), QStringLiteral("ZModem File Transfer"),
                          G.ReceiveDirText) &&
        !G.ReceiveDirText.isEmpty()) {
        nrZModem1->SetDefaultPath(QFile::decodeName(G.ReceiveDirText));
        G.ZModemReceiveDir.store(G.ReceiveDirText.toStdString());
    }
}

void TFerrow::ModemConnectClick()
{
    // Only a confirmed, non-empty answer is stored: a cancelled first query
    // must not make "Default String" the command sent to the TNC.
    if (Query().textQuery(QStringLiteral("Connect Command"), QStringLiteral("ZModem File Transfer"),
                          G.ConnectCommandText) &&
        !G.ConnectCommandText.isEmpty())
        G.ZModemConnectCommand.store(G.ConnectCommandText.toStdString());
}
