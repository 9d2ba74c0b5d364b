#pragma once
// Edits one TNC's termination lines ("TNC Terminate Parameters"); the name
// is shown but edited only in the initialization window.

#include "tnc_lines_form.h"

class TTNC_CloseForm : public TncLinesForm {
    Q_OBJECT
public:
    explicit TTNC_CloseForm(QWidget* parent = nullptr);

    void FormShow() override;
    void FormClose() override;
    void TNC_CommandList2Click();
    void CmdScrollBar2Change();
    void UpdateBtn2Click();

    QLabel* TNC_label;
    QLineEdit* TNC_Name2;
    QLabel* Command_String_Lable;
    QListWidget* TNC_Cmd_Number2;
    QListWidget* TNC_CommandList2;
    QScrollBar* CmdScrollBar2;
    QLabel* Label1;
    QLineEdit* TNC_Commands_Edit2;
    QPushButton* UpdateBtn2;

protected:
    CommandSet* commandSets() const override;
};
