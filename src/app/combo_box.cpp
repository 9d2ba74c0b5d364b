#include "combo_box.h"

#include <QKeyEvent>

void TComboBox::showPopup()
{
    if (OnDropDown)
        OnDropDown();
    open_ = true;
    QComboBox::showPopup();
}

void TComboBox::hidePopup()
{
    QComboBox::hidePopup();
    if (open_) {
        open_ = false;
        if (OnCloseUp)
            OnCloseUp();
    }
}

void TComboBox::keyPressEvent(QKeyEvent* event)
{
    if (AutoDropDown && !open_ && !event->text().isEmpty() && event->text().at(0).isPrint()) {
        showPopup();
        return;
    }
    QComboBox::keyPressEvent(event);
}
