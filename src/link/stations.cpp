// The connect drop-down of the main window and the station setup window.

#include "app/ferrow.h"

#include "app/combo_box.h"
#include "app/forms.h"
#include "link/setup_window_parts.h"
#include "link/station_form.h"

#include <QListWidget>

void TFerrow::ConnectList1Click()
{
    showSetupWindow(StationForm);
}

void TFerrow::RefillConnectList()
{
    copyRowsInto(ConnectList, StationForm->StationList, TStationForm::Entries - 1);
}

void TFerrow::ConnectListDropDown()
{
    // Opening the list to look must not change the station Connect calls:
    // the names are refreshed, the chosen row stays.
    copyRowsInto(ConnectList, StationForm->StationList, ConnectList->currentIndex());
}
