#pragma once
// The function table's setup window: 12 named command strings, edited in
// place; every update acts on the table at once.

#include <QByteArray>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollBar;

class TFunctionForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int Entries = 12;

    explicit TFunctionForm(QWidget* parent = nullptr);

    // The table, entry i = 0..11 (the function drop-down, Send, the settings file).
    QByteArray functionName(int i) const;
    QByteArray functionCommand(int i) const;
    // Puts one stored entry into its rows, selecting them as it goes.
    void setFunction(int i, const QByteArray& name, const QByteArray& command);

    void FormShow();
    void FunctionSelectChange();
    void FunctionNameClick();
    void FunctionStringClick();
    void FunctionNameBtnClick();
    void FunctionCmdEditBtnClick();

    QLabel* LabelsHeading;
    QListWidget* FunctionList; // the fixed labels "F1".."F12"
    QLabel* NameHeading;
    QListWidget* FunctionName;
    QLabel* StringHeading;
    QListWidget* FunctionString;
    QScrollBar* FunctionSelect;
    QLabel* EditHeading;
    QLineEdit* EditFunctionCommand;
    QLabel* UpdateHeading;
    QPushButton* FunctionNameBtn;
    QPushButton* FunctionCmdEditBtn;

protected:
    void showEvent(QShowEvent* event) override;
};
