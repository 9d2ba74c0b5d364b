// The function drop-down of the main window, its Send button and the
// function setup window.

#include "app/ferrow.h"

#include "app/combo_box.h"
#include "app/forms.h"
#include "link/function_form.h"
#include "link/setup_window_parts.h"

#include <QListWidget>

void TFerrow::FunctionClick()
{
    showSetupWindow(FunctionForm);
}

void TFerrow::RefillFunctionList()
{
    copyRowsInto(FunctionList, FunctionForm->FunctionName, TFunctionForm::Entries - 1);
}

void TFerrow::FunctionListDropDown()
{
    // As with the stations: a look at the list keeps the chosen function.
    copyRowsInto(FunctionList, FunctionForm->FunctionName, FunctionList->currentIndex());
}

void TFerrow::SendFunctionBtnClick()
{
    if (!PortChosenOrWarn(QStringLiteral("No Comms port or TNC has been selected!")))
        return;
    const int function = FunctionList->currentIndex();
    if (function < 0)
        return;
    SendLineAndFocus(FunctionForm->functionCommand(function));
}
