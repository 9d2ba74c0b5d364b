// Connects the TNC link's menu items, buttons and drop-downs to their handlers.

#include "app/ferrow.h"

#include "app/combo_box.h"

#include <QPushButton>

void TFerrow::WireLinkHandlers()
{
    wire(Comm11, &TFerrow::Comm11Click);
    wire(Comm21, &TFerrow::Comm21Click);
    wire(Comm31, &TFerrow::Comm31Click);
    wire(Comm41, &TFerrow::Comm41Click);
    wire(Comm51, &TFerrow::Comm51Click);
    wire(Comm61, &TFerrow::Comm61Click);
    wire(None1, &TFerrow::None1Click);
    wire(CommsInterfaceSetup1, &TFerrow::CommsInterfaceSetup1Click);

    wire(ConnectBtn, &TFerrow::ConnectBtnClick);
    wire(DisconnectBtn, &TFerrow::DisconnectBtnClick);
    wire(TncResetBtn, &TFerrow::TncResetBtnClick);
    wire(ConverseBtn, &TFerrow::ConverseBtnClick);
    wire(ConnectList1, &TFerrow::ConnectList1Click);
    ConnectList->OnDropDown = [this] { ConnectListDropDown(); };

    wire(Function, &TFerrow::FunctionClick);
    wire(SendFunctionBtn, &TFerrow::SendFunctionBtnClick);
    FunctionList->OnDropDown = [this] { FunctionListDropDown(); };
}
