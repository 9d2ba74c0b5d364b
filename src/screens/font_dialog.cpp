#include "font_dialog.h"

#include "app/seams.h"
#include "font_record.h"

TFontDialog::TFontDialog(QObject* parent)
    : QObject(parent)
    , Font(QStringLiteral("MS Sans Serif"))
    , Color(clWindowText)
{
    Font.setPixelSize(13);
}

bool TFontDialog::Execute()
{
    FontChoice choice{Font, Color};
    const bool confirmed = Query().chooseFont(choice, [this](const FontChoice& applied) {
        Font = applied.font;
        Color = applied.color;
        if (OnApply)
            OnApply();
    });
    if (confirmed) {
        Font = choice.font;
        Color = choice.color;
    }
    return confirmed;
}
