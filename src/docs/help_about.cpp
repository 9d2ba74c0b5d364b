// Help > Help Topics and Help > About Quillmar.

#include "app/ferrow.h"

#include "app/forms.h"
#include "app/seams.h"
#include "app/state.h"
#include "docs/about_form.h"
#include "docs/desktop_open.h"

#include <QFile>

void TFerrow::Help2Click()
{
    // HelpFilePath is empty when the help file was missing at start; a file
    // added later is not picked up until the next start.
    const QString path = QFile::decodeName(slotBytes(G.HelpFilePath));
    if (!openWithAssociatedApplication(path))
        Query().messageBox(this, QStringLiteral("Could not run the help application"),
                           QStringLiteral("Quillmar"));
}

void TFerrow::AboutGelvane1Click()
{
    AboutForm->showCentred();
}
