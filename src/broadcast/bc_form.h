#pragma once
// Edits the beacon text the TNC broadcasts.

#include <QWidget>

class TBCForm : public QWidget {
    Q_OBJECT
public:
    explicit TBCForm(QWidget* parent = nullptr);
};
