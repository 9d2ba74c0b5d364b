#include "caption_color.h"

#include <QPushButton>

void setCaptionColor(QPushButton* button, const QColor& color)
{
    QPalette p = button->palette();
    p.setColor(QPalette::Active, QPalette::ButtonText, color);
    p.setColor(QPalette::Inactive, QPalette::ButtonText, color);
    button->setPalette(p);
}
