#pragma once
// The About box.

#include <QWidget>

class TAboutForm : public QWidget {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);
};
