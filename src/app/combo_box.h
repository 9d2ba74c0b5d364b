#pragma once
// A combo box that reports when its list is about to open and when it has
// closed, and can open its list on the first key typed.

#include <QComboBox>

#include <functional>

class TComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    std::function<void()> OnDropDown;
    // Raised after the list closed and the picked row (if any) is current.
    std::function<void()> OnCloseUp;
    bool AutoDropDown = false;

    void showPopup() override;
    void hidePopup() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool open_ = false;
};
