#pragma once
// Edits one TNC's name and initialization lines ("TNC Startup Parameters").

#include "tnc_lines_form.h"

class TTNC_SetupForm : public TncLinesForm {
    Q_OBJECT
public:
    explicit TTNC_SetupForm(QWidget* parent = nullptr);

    void FormShow() override;
    void FormClose() override;
    void TNC_CommandListClick();
    void CmdScrollBarChange();
    void UpdateBtnClick();

    QLabel* TNC_label;
    QLineEdit* TNC_Name;
    QLabel* Command_String_Lable;
    QListWidget* TNC_Cmd_Number;
    QListWidget* TNC_CommandList;
    QScrollBar* CmdScrollBar;
    QLabel* Label1;
    QLineEdit* TNC_Commands_Edit;
    QPushButton* UpdateBtn;

protected:
    CommandSet* commandSets() const override;
};
