#pragma once
// The function table's setup window: 12 named command strings.

#include <QWidget>

class TFunctionForm : public QWidget {
    Q_OBJECT
public:
    explicit TFunctionForm(QWidget* parent = nullptr);
};
