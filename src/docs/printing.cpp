// File > Print Receive and Print Xmit: a screen's text printed through the
// hidden rich-text buffer, as one job titled "0".

#include "app/ferrow.h"

#include "app/seams.h"
#include "docs/print_text.h"
#include "docs/screen_file.h"
#include "screens/screen_memo.h"

#include <QPrinter>
#include <QTextEdit>

namespace {

void printScreen(TFerrow& window, TScreenMemo& source)
{
    window.TempEditBuffer->clear();
    source.selectAll(); // the selection stays, showing what was printed
    window.TempEditBuffer->setPlainText(screenLines(source).join(QLatin1Char('\n')));

    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("0"));
    if (Query().printDialog(printer)) {
        if (const auto problem = printDocument(*window.TempEditBuffer->document(), printer)) {
            Query().messageBox(
                &window, QStringLiteral("Could not print to \"%1\": %2.").arg(printTarget(printer), *problem),
                QStringLiteral("Quillmar"));
            return;
        }
    }
    window.FocusTypingScreen();
}

} // namespace

void TFerrow::Print1Click()
{
    flushPendingReceive();
    printScreen(*this, *ReceiveScreen);
}

void TFerrow::Ex1Click()
{
    printScreen(*this, *TransmitScreen);
}
