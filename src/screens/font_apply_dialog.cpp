#include "font_apply_dialog.h"

#include "font_record.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QPixmap>
#include <QPushButton>

namespace {

// The dialog lists sizes in points; a font held in pixels is offered at the
// point size it has on this screen.
QFont inPoints(QFont font, int dpi)
{
    if (font.pixelSize() > 0)
        font.setPointSizeF(font.pixelSize() * 72.0 / dpi);
    return font;
}

} // namespace

FontApplyDialog::FontApplyDialog(const FontChoice& initial, std::function<void(const FontChoice&)> apply,
                                 QWidget* parent)
    : QFontDialog(parent)
    , color_(initial.color)
    , apply_(std::move(apply))
{
    setOption(QFontDialog::DontUseNativeDialog);
    setCurrentFont(inPoints(initial.font, logicalDpi(parent)));
    auto* buttons = findChild<QDialogButtonBox*>();
    if (!buttons)
        return;
    colorButton_ = buttons->addButton(QStringLiteral("Color..."), QDialogButtonBox::ActionRole);
    connect(colorButton_, &QPushButton::clicked, this, &FontApplyDialog::chooseColor);
    QPushButton* applyButton = buttons->addButton(QDialogButtonBox::Apply);
    connect(applyButton, &QPushButton::clicked, this, [this] {
        if (apply_)
            apply_(choice());
    });
    showColor();
}

FontChoice FontApplyDialog::choice() const
{
    return FontChoice{currentFont(), color_};
}

void FontApplyDialog::chooseColor()
{
    const QColor picked =
        QColorDialog::getColor(colorOf(color_, QApplication::palette()), this, QStringLiteral("Text Color"));
    if (!picked.isValid())
        return;
    color_ = encodedColor(picked);
    showColor();
}

void FontApplyDialog::showColor()
{
    QPixmap swatch(16, 16);
    swatch.fill(colorOf(color_, QApplication::palette()));
    colorButton_->setIcon(QIcon(swatch));
}
