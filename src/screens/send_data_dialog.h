#pragma once
// Progress of a whole-screen send, with its Cancel button.

#include <QWidget>

class TSendDataDialog : public QWidget {
    Q_OBJECT
public:
    explicit TSendDataDialog(QWidget* parent = nullptr);
};
