#pragma once
// Edits one TNC's name and initialization lines.

#include <QWidget>

class TTNC_SetupForm : public QWidget {
    Q_OBJECT
public:
    explicit TTNC_SetupForm(QWidget* parent = nullptr);
};
