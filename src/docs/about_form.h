#pragma once
// The About box: a picture, a short credit text ending in the version line,
// and a Close button. Its title bar has no close box; Close only hides it, so
// every showing is the same window.

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TAboutForm : public QWidget {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

    // Shows the box non-modally and brings it to the front; the first
    // showing puts it in the middle of the desktop.
    void showCentred();

    void AboutCloseBtnClick();

    QLabel* Image1;
    QPlainTextEdit* AboutMemo;
    QPushButton* AboutCloseBtn;

private:
    bool placed_ = false;
};
