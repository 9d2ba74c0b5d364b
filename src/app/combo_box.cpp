#include "combo_box.h"

#include <QKeyEvent>
#include <QTimer>

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
        // Qt hides the list before it makes the clicked row current; the
        // close-up must see the row the operator picked.
        QTimer::singleShot(0, this, [this] {
            if (OnCloseUp)
                OnCloseUp();
        });
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
