#pragma once
// Edits one TNC's termination lines.

#include <QWidget>

class TTNC_CloseForm : public QWidget {
    Q_OBJECT
public:
    explicit TTNC_CloseForm(QWidget* parent = nullptr);
};
