// File > Open, Save Receive and Save Transmit: screens to and from 8-bit
// text files with CR LF line ends.

#include "app/ferrow.h"

#include "app/caption_color.h"
#include "app/seams.h"
#include "app/state.h"
#include "docs/file_dialogs.h"
#include "docs/screen_file.h"
#include "screens/screen_memo.h"

#include <QLocale>
#include <QPushButton>

namespace {

// 3214 as "3,214" (or as the desktop's language writes it).
QString groupedNumber(qsizetype n)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale.toString(qlonglong(n));
}

// Writes the screen's lines; false (after telling the operator) on failure.
bool saveScreen(TFerrow& window, const TScreenMemo& screen, const QString& path)
{
    const QByteArray bytes = screenFileOf(screen);
    if (const auto problem = replaceFile(path, bytes)) {
        reportFileProblem(&window, QStringLiteral("save"), path, *problem);
        return false;
    }
    window.ShowStatus(QStringLiteral("Saved %1 bytes to %2").arg(groupedNumber(bytes.size()), path));
    return true;
}

void saveScreenAs(TFerrow& window, const TScreenMemo& screen)
{
    if (const auto path = Query().saveFile(saveDialog1()))
        if (!saveScreen(window, screen, *path))
            return;
    window.FocusTypingScreen();
}

} // namespace

void TFerrow::Open1Click()
{
    if (const auto path = Query().openFile(openDialog1())) {
        // The whole file is read before the screen is touched, so a file that
        // cannot be read leaves the prepared text as it was.
        QByteArray bytes;
        if (const auto problem = readWholeFile(*path, bytes)) {
            reportFileProblem(this, QStringLiteral("open"), *path, *problem);
            return;
        }
        TransmitScreen->setPlainText(screenLinesOf(bytes).join(QLatin1Char('\n')));
        TransmitScreen->moveCaretToEnd();
        // The loaded text is edited, not sent, until the operator says so.
        G.EditXmitMode = 1;
        setCaptionColor(EditXmitBtn, QColor(255, 0, 0));
    }
    TransmitScreen->setFocus();
    G.ActiveScreen = ActiveTransmitScreen;
}

void TFerrow::Save1Click()
{
    flushPendingReceive();
    saveScreenAs(*this, *ReceiveScreen);
}

void TFerrow::SaveAs1Click()
{
    saveScreenAs(*this, *TransmitScreen);
}
