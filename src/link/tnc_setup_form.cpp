#include "tnc_setup_form.h"

#include "link/setup_window_parts.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

TTNC_SetupForm::TTNC_SetupForm(QWidget* parent)
    : TncLinesForm("TNC Startup Parameters", "TNC Initialization Command String(s)", parent)
    , TNC_label(label_)
    , TNC_Name(name_)
    , Command_String_Lable(heading_)
    , TNC_Cmd_Number(numbers_)
    , TNC_CommandList(lines_)
    , CmdScrollBar(bar_)
    , Label1(editHeading_)
    , TNC_Commands_Edit(edit_)
    , UpdateBtn(update_)
{
    TNC_Name->setToolTip(QStringLiteral("Change the TNC Name in this field"));
    connect(CmdScrollBar, &QScrollBar::valueChanged, this, &TTNC_SetupForm::CmdScrollBarChange);
    onRowClicked(TNC_CommandList, this, [this] { TNC_CommandListClick(); });
    connect(UpdateBtn, &QPushButton::clicked, this, &TTNC_SetupForm::UpdateBtnClick);
}

CommandSet* TTNC_SetupForm::commandSets() const
{
    return G.TncInitCommands;
}

void TTNC_SetupForm::FormShow()
{
    bindAndLoad();
}

void TTNC_SetupForm::FormClose()
{
    storeAndRelease(true);
}

void TTNC_SetupForm::TNC_CommandListClick()
{
    lineClicked();
}

void TTNC_SetupForm::CmdScrollBarChange()
{
    followScrollBar();
}

void TTNC_SetupForm::UpdateBtnClick()
{
    applyEdit();
}
