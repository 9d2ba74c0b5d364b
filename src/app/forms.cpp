#include "forms.h"

#include "app/ferrow.h"
#include "broadcast/bc_form.h"
#include "docs/about_form.h"
#include "link/function_form.h"
#include "link/station_form.h"
#include "link/tnc_close_form.h"
#include "link/tnc_menus.h"
#include "link/tnc_setup_form.h"
#include "screens/send_data_dialog.h"

TFerrow* Ferrow = nullptr;
TStationForm* StationForm = nullptr;
TSendDataDialog* SendDataDialog = nullptr;
TFunctionForm* FunctionForm = nullptr;
TTNC_SetupForm* TNC_SetupForm = nullptr;
TTNC_CloseForm* TNC_CloseForm = nullptr;
TBCForm* BCForm = nullptr;
TAboutForm* AboutForm = nullptr;

void CreateForms()
{
    Ferrow = new TFerrow;
    StationForm = new TStationForm;
    SendDataDialog = new TSendDataDialog;
    FunctionForm = new TFunctionForm;
    TNC_SetupForm = new TTNC_SetupForm;
    TNC_CloseForm = new TTNC_CloseForm;
    BCForm = new TBCForm;
    AboutForm = new TAboutForm;
    wireTncFormsToMenus();
}

namespace {
template <typename T> void destroy(T*& form)
{
    delete form;
    form = nullptr;
}
} // namespace

void DestroyForms()
{
    destroy(AboutForm);
    destroy(BCForm);
    destroy(TNC_CloseForm);
    destroy(TNC_SetupForm);
    destroy(FunctionForm);
    destroy(SendDataDialog);
    destroy(StationForm);
    destroy(Ferrow);
}

void HideSecondaryForms()
{
    for (QWidget* w : {static_cast<QWidget*>(StationForm), static_cast<QWidget*>(SendDataDialog),
                       static_cast<QWidget*>(FunctionForm), static_cast<QWidget*>(TNC_SetupForm),
                       static_cast<QWidget*>(TNC_CloseForm), static_cast<QWidget*>(BCForm),
                       static_cast<QWidget*>(AboutForm)})
        if (w)
            w->hide();
}
