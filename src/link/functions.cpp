// The function drop-down of the main window, its Send button and the
// function setup window.

#include "app/ferrow.h"

#include "app/combo_box.h"
#include "app/forms.h"
#include "app/seams.h"
#include "link/function_form.h"
#include "link/nr_comm.h"
#include "link/setup_window_parts.h"

#include <QListWidget>

void TFerrow::FunctionClick()
{
    showSetupWindow(FunctionForm);
}

void TFerrow::RefillFunctionList()
{
    copyRowsInto(FunctionList, FunctionForm->FunctionName);
    FunctionList->setCurrentIndex(FunctionList->count() - 1);
}

void TFerrow::FunctionListDropDown()
{
    // As with the stations: a look at the list keeps the chosen function.
    const int chosen = FunctionList->currentIndex();
    copyRowsInto(FunctionList, FunctionForm->FunctionName);
    FunctionList->setCurrentIndex(chosen);
}

void TFerrow::SendFunctionBtnClick()
{
    if (!PortChosenOrWarn(QStringLiteral("No Comms port or TNC has been selected!")))
        return;
    const int function = FunctionList->currentIndex();
    if (function < 0)
        return;
    nrComm1->SendString(FunctionForm->functionCommand(function));
    Pause(100);
    nrComm1->SendChar(13);
    FocusTypingScreen();
}
