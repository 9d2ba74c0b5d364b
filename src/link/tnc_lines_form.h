#pragma once
// What the two TNC setup windows share: one TNC's name and its 32 numbered
// command lines, a scroll bar that walks the lines, and an edit box whose
// text "Update Command" puts into the selected line. A window is bound to
// the TNC that was selected when it opened and stores into that TNC when it
// closes, whatever is chosen in the menus meanwhile.

#include "app/state.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollBar;

class TncLinesForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int Lines = 32;

    // True from the showing until the close step ran.
    bool isOpen() const { return open_; }
    // The TNC (0..7) the open window edits; -1 when it opened with no TNC selected.
    int boundTnc() const { return tnc_; }

    virtual void FormShow() = 0;
    virtual void FormClose() = 0;

signals:
    // The name typed for TNC `tnc` (0..7) went into its slot on closing.
    void tncNameStored(int tnc);

protected:
    TncLinesForm(const char* caption, const char* heading, QWidget* parent);

    // The command sets this window edits (initialization or termination).
    virtual CommandSet* commandSets() const = 0;

    // The steps both windows take; the named handlers of each call them.
    void bindAndLoad();
    void storeAndRelease(bool storeName);
    void followScrollBar();
    void lineClicked();
    void applyEdit();

    // The controls, under the names each window gives them.
    QLabel* label_;
    QLineEdit* name_;
    QLabel* heading_;
    QListWidget* numbers_;
    QListWidget* lines_;
    QScrollBar* bar_;
    QLabel* editHeading_;
    QLineEdit* edit_;
    QPushButton* update_;

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool open_ = false;
    int tnc_ = -1;
};
