#pragma once
// The Broadcast Message window: edits the beacon text and hands it to the TNC
// with BTEXT when accepted.

#include <QWidget>

class QAction;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QShowEvent;

class TBCForm : public QWidget {
    Q_OBJECT
public:
    explicit TBCForm(QWidget* parent = nullptr);

    void FormShow();
    void BCAcceptBtnClick();
    void CancelBtnClick();
    void Exit1Click();

    QMenuBar* MainMenu1;
    QMenu* File1;
    QAction* Exit1;
    QLineEdit* BroadcastEdit;
    QPushButton* BCAcceptBtn;
    QPushButton* CancelBtn;

protected:
    void showEvent(QShowEvent* event) override;
};
