// File > Save Clipboard and the Edit menu. The Edit commands act on the
// screen the operator last worked in (ActiveScreen).

#include "app/ferrow.h"

#include "app/seams.h"
#include "app/state.h"
#include "docs/file_dialogs.h"
#include "docs/rtf_from_document.h"
#include "docs/screen_file.h"
#include "screens/screen_memo.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextEdit>

namespace {

// The screen the Edit commands act on, with every received byte already in
// it, so a copy or a selection never misses the last moments of traffic.
TScreenMemo* screenInUse(TFerrow& window)
{
    window.flushPendingReceive();
    switch (G.ActiveScreen) {
    case ActiveReceiveScreen: return window.ReceiveScreen;
    case ActiveTransmitScreen: return window.TransmitScreen;
    default: return nullptr;
    }
}

} // namespace

void TFerrow::SaveClipboard1Click()
{
    // Rich text keeps its own look in the buffer; plain text takes the
    // buffer's font.
    TempEditBuffer->clear();
    // A clipboard that offers no format at all has nothing to paste, and Qt's
    // text control (6.4) crashes on one.
    const QMimeData* held = QGuiApplication::clipboard()->mimeData();
    if (held && !held->formats().isEmpty())
        TempEditBuffer->paste();
    const auto path = Query().saveFile(saveDialog1());
    if (!path)
        return;
    if (const auto problem = replaceFile(*path, writeRtf(rtfDocumentOf(*TempEditBuffer->document()))))
        reportFileProblem(this, QStringLiteral("save"), *path, *problem);
}

void TFerrow::Cut1Click()
{
    if (TScreenMemo* screen = screenInUse(*this))
        screen->cut();
}

void TFerrow::Copy1Click()
{
    if (TScreenMemo* screen = screenInUse(*this))
        screen->copy();
}

void TFerrow::Paste1Click()
{
    if (TScreenMemo* screen = screenInUse(*this))
        screen->paste();
}

void TFerrow::SelectAll1Click()
{
    if (TScreenMemo* screen = screenInUse(*this))
        screen->selectAll();
}
