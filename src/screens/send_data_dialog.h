#pragma once
// Progress of a whole-screen send, with its Cancel button. Created once at
// start; the send shows and hides it. It is not modal: the main window stays
// usable while it shows.

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

class TSendDataDialog : public QWidget {
    Q_OBJECT
public:
    explicit TSendDataDialog(QWidget* parent = nullptr);

    // Stops a running send: it sends nothing more and finishes.
    void CancelBtnClick();

    // Shows the dialog centred on `owner`, its bar at the start.
    void showCentredOn(const QWidget* owner);

    QLabel* DataMsg;
    QProgressBar* ProgressBar1;
    QPushButton* CancelBtn;

protected:
    // Closing the window by other means (the window manager's close
    // command) is the same as its Cancel.
    void closeEvent(QCloseEvent* event) override;
};
