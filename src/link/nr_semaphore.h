#pragma once
// A status lamp: a sphere, blue when checked, red when not.

#include <QWidget>

class TnrSemaphore : public QWidget {
    Q_OBJECT
public:
    explicit TnrSemaphore(QWidget* parent = nullptr);

    void SetChecked(bool checked);
    bool GetChecked() const { return checked_; }

    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    bool checked_ = false;
};
