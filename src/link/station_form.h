#pragma once
// The station table's setup window: 32 station names and connect paths.

#include <QWidget>

class TStationForm : public QWidget {
    Q_OBJECT
public:
    explicit TStationForm(QWidget* parent = nullptr);
};
