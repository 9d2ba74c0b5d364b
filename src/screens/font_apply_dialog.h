#pragma once
// The font dialog an operator sees: the toolkit's own font dialog with an
// Apply button, which hands the current choice over while the dialog stays
// open, and a Color button for the text colour the font record keeps.

#include "app/seams.h"

#include <QFontDialog>

#include <functional>

class QPushButton;

class FontApplyDialog : public QFontDialog {
    Q_OBJECT
public:
    FontApplyDialog(const FontChoice& initial, std::function<void(const FontChoice&)> apply,
                    QWidget* parent = nullptr);

    // The font and colour showing now.
    FontChoice choice() const;

private:
    void chooseColor();
    void showColor();

    qint32 color_;
    std::function<void(const FontChoice&)> apply_;
    QPushButton* colorButton_ = nullptr;
};
