// Connects the TNC link's menu items and buttons to their handlers.

#include "app/ferrow.h"

#include <QMenu>

void TFerrow::WireLinkHandlers()
{
    connect(Port1, &QMenu::aboutToShow, this, &TFerrow::ShowPortPaths);
    wire(Comm11, &TFerrow::Comm11Click);
    wire(Comm21, &TFerrow::Comm21Click);
    wire(Comm31, &TFerrow::Comm31Click);
    wire(Comm41, &TFerrow::Comm41Click);
    wire(Comm51, &TFerrow::Comm51Click);
    wire(Comm61, &TFerrow::Comm61Click);
    wire(None1, &TFerrow::None1Click);
    wire(CommsInterfaceSetup1, &TFerrow::CommsInterfaceSetup1Click);
}
