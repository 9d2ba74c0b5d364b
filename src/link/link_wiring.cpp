// Connects the TNC link's menu items, buttons and drop-downs to their
// handlers, and the serial trace to its status screen.

#include "app/ferrow.h"

#include "app/combo_box.h"
#include "app/status_memo.h"
#include "app/forms.h"
#include "link/tnc_close_form.h"
#include "link/tnc_menus.h"
#include "link/nr_log_file.h"
#include "link/tnc_setup_form.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

void TFerrow::WireLinkHandlers()
{
    connect(nrLogFile1, &TnrLogFile::lineLogged, this,
            [this](const QString& line) { appendTraceLine(LogScreen, line); });

    connect(Port1, &QMenu::aboutToShow, this, &TFerrow::ShowPortPaths);
    wire(Comm11, &TFerrow::Comm11Click);
    wire(Comm21, &TFerrow::Comm21Click);
    wire(Comm31, &TFerrow::Comm31Click);
    wire(Comm41, &TFerrow::Comm41Click);
    wire(Comm51, &TFerrow::Comm51Click);
    wire(Comm61, &TFerrow::Comm61Click);
    wire(None1, &TFerrow::None1Click);
    wire(CommsInterfaceSetup1, &TFerrow::CommsInterfaceSetup1Click);
    wire(PortDevices1, &TFerrow::PortDevices1Click);

    wire(ConnectBtn, &TFerrow::ConnectBtnClick);
    wire(DisconnectBtn, &TFerrow::DisconnectBtnClick);
    wire(TncResetBtn, &TFerrow::TncResetBtnClick);
    wire(ConverseBtn, &TFerrow::ConverseBtnClick);
    wire(ConnectList1, &TFerrow::ConnectList1Click);
    ConnectList->OnDropDown = [this] { ConnectListDropDown(); };

    wire(Function, &TFerrow::FunctionClick);
    wire(SendFunctionBtn, &TFerrow::SendFunctionBtnClick);
    FunctionList->OnDropDown = [this] { FunctionListDropDown(); };

    wire(TNC, &TFerrow::TNCClick);
    wire(TNC2, &TFerrow::TNC2Click);
    wire(TNC3, &TFerrow::TNC3Click);
    wire(TNC4, &TFerrow::TNC4Click);
    wire(TNC5, &TFerrow::TNC5Click);
    wire(TNC6, &TFerrow::TNC6Click);
    wire(TNC7, &TFerrow::TNC7Click);
    wire(TNC8, &TFerrow::TNC8Click);
    wire(NoTNC, &TFerrow::NoTNCClick);
    wire(InitializeTNC1, &TFerrow::InitializeTNC1Click);
    wire(TNC11, &TFerrow::TNC11Click);
    wire(TNC21, &TFerrow::TNC21Click);
    wire(TNC31, &TFerrow::TNC31Click);
    wire(TNC41, &TFerrow::TNC41Click);
    wire(TNC51, &TFerrow::TNC51Click);
    wire(TNC61, &TFerrow::TNC61Click);
    wire(TNC71, &TFerrow::TNC71Click);
    wire(TNC81, &TFerrow::TNC81Click);
    wire(NoTNC2, &TFerrow::NoTNC2Click);
    wire(Terminate1, &TFerrow::Terminate1Click);
    wire(ResetCommandSetup1, &TFerrow::ResetCommandSetup1Click);
    TNCSelect->OnDropDown = [this] { TNCSelectDropDown(); };
    TNCSelect->OnCloseUp = [this] { TNCSelectCloseUp(); };
}

void wireTncFormsToMenus()
{
    for (TncLinesForm* form : std::initializer_list<TncLinesForm*>{TNC_SetupForm, TNC_CloseForm})
        QObject::connect(form, &TncLinesForm::tncNameStored, Ferrow, &showTncNameInMenus);
}
