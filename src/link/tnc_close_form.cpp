#include "tnc_close_form.h"

#include "link/setup_window_parts.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

TTNC_CloseForm::TTNC_CloseForm(QWidget* parent)
    : TncLinesForm("TNC Terminate Parameters", "TNC Termination Command String(s)", parent)
    , TNC_label(label_)
    , TNC_Name2(name_)
    , Command_String_Lable(heading_)
    , TNC_Cmd_Number2(numbers_)
    , TNC_CommandList2(lines_)
    , CmdScrollBar2(bar_)
    , Label1(editHeading_)
    , TNC_Commands_Edit2(edit_)
    , UpdateBtn2(update_)
{
    TNC_Name2->setReadOnly(true);
    TNC_Name2->setToolTip(QStringLiteral("This field cannot be modified"));
    connect(CmdScrollBar2, &QScrollBar::valueChanged, this, &TTNC_CloseForm::CmdScrollBar2Change);
    onRowClicked(TNC_CommandList2, this, [this] { TNC_CommandList2Click(); });
    connect(UpdateBtn2, &QPushButton::clicked, this, &TTNC_CloseForm::UpdateBtn2Click);
}

CommandSet* TTNC_CloseForm::commandSets() const
{
    return G.TncTermCommands;
}

void TTNC_CloseForm::FormShow()
{
    bindAndLoad();
}

void TTNC_CloseForm::FormClose()
{
    storeAndRelease(false);
}

void TTNC_CloseForm::TNC_CommandList2Click()
{
    lineClicked();
}

void TTNC_CloseForm::CmdScrollBar2Change()
{
    followScrollBar();
}

void TTNC_CloseForm::UpdateBtn2Click()
{
    applyEdit();
}
