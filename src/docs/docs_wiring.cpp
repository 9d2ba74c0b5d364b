// Connects the File, Edit and Help menu items to their handlers.

#include "app/ferrow.h"

void TFerrow::WireDocsHandlers()
{
    wire(Open1, &TFerrow::Open1Click);
    wire(SaveClipboard1, &TFerrow::SaveClipboard1Click);
    wire(Save1, &TFerrow::Save1Click);
    wire(SaveAs1, &TFerrow::SaveAs1Click);
    wire(Print1, &TFerrow::Print1Click);
    wire(Ex1, &TFerrow::Ex1Click);

    wire(Cut1, &TFerrow::Cut1Click);
    wire(Copy1, &TFerrow::Copy1Click);
    wire(Paste1, &TFerrow::Paste1Click);
    wire(SelectAll1, &TFerrow::SelectAll1Click);

    wire(Help2, &TFerrow::Help2Click);
    wire(AboutGelvane1, &TFerrow::AboutGelvane1Click);
}
