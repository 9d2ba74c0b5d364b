// Construction of the main window's frame: menus, the two control bands, the
// screen stack, the status band and the components. Geometry follows the
// design layout in pixels; the screen stack is positioned absolutely because
// its layout arithmetic works on the controls' tops and heights.

#include "app/ferrow.h"

#include "app/caption_color.h"
#include "app/combo_box.h"
#include "app/menu_accelerators.h"
#include "app/status_memo.h"
#include "app/seams.h"
#include "link/nr_comm.h"
#include "link/nr_log_file.h"
#include "link/nr_semaphore.h"
#include "link/serial_transport.h"
#include "screens/screen_memo.h"
#include "transfer/nr_zmodem.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

// Design geometry of the stack (client area 622 pixels wide).
constexpr int ClientWidth = 622;
constexpr int ClientHeight = 424;

QAction* item(QMenu* menu, const char* caption, bool checkable = false, bool checked = false)
{
    QAction* a = menu->addAction(QString::fromLatin1(caption));
    a->setCheckable(checkable);
    a->setChecked(checked);
    return a;
}

QPushButton* button(QWidget* parent, const char* caption, const char* hint)
{
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    if (hint)
        b->setToolTip(QString::fromLatin1(hint));
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::TabFocus);
    b->setMaximumWidth(64);
    return b;
}

QHBoxLayout* bandLayout(QWidget* band)
{
    auto* row = new QHBoxLayout(band);
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(4);
    return row;
}

} // namespace

void TFerrow::BuildMenus()
{
    QMenuBar* bar = menuBar();

    File1 = bar->addMenu(QStringLiteral("File"));
    Open1 = item(File1, "Open");
    File1->addSeparator();
    SaveClipboard1 = item(File1, "Save Clipboard");
    File1->addSeparator();
    Save1 = item(File1, "Save Receive");
    SaveAs1 = item(File1, "Save Transmit");
    File1->addSeparator();
    Print1 = item(File1, "Print Receive");
    Ex1 = item(File1, "Print Xmit");
    File1->addSeparator();
    Exit2 = item(File1, "Exit");

    ZModemConfig = bar->addMenu(QStringLiteral("ZModem"));
    ZEnable = item(ZModemConfig, "Enable", true, true);
    ZDisable = item(ZModemConfig, "Disable", true);
    ZModemConfig->addSeparator();
    Converse1 = ZModemConfig->addMenu(QStringLiteral("Converse"));
    ConverseOn = item(Converse1, "On", true);
    ConverseOff = item(Converse1, "Off", true, true);
    ZModemConfig->addSeparator();
    RcvDir = item(ZModemConfig, "Receive Dir.");
    ZModemConfig->addSeparator();
    ModemConnect = item(ZModemConfig, "Connect Cmd");

    Edit1 = bar->addMenu(QStringLiteral("Edit"));
    Cut1 = item(Edit1, "Cu&t");
    Copy1 = item(Edit1, "&Copy");
    Paste1 = item(Edit1, "&Paste");
    Edit1->addSeparator();
    SelectAll1 = item(Edit1, "Select &All");

    Options1 = bar->addMenu(QStringLiteral("Options"));
    FontSelection1 = Options1->addMenu(QStringLiteral("Font Selection"));
    ReceiveFont1 = item(FontSelection1, "Receive Font");
    TransmitFont1 = item(FontSelection1, "Transmit Font");
    Port1 = Options1->addMenu(QStringLiteral("Port Setup"));
    Comm11 = item(Port1, "COM&1", true);
    Comm21 = item(Port1, "COM&2", true);
    Comm31 = item(Port1, "COM&3", true);
    Comm41 = item(Port1, "COM&4", true);
    Comm51 = item(Port1, "COM&5", true);
    Comm61 = item(Port1, "COM&6", true);
    Port1->addSeparator();
    None1 = item(Port1, "None", true, true);
    PortDevices1 = item(Options1, "Port Devices...");
    CommsInterfaceSetup1 = item(Options1, "Comms &Interface Setup");
    CommandSetup1 = Options1->addMenu(QStringLiteral("&Command Setup"));
    ConnectList1 = item(CommandSetup1, "Connect Commands");
    Function = item(CommandSetup1, "Function Commands");
    TNC1 = Options1->addMenu(QStringLiteral("TNC Initialization Setup"));
    TNC = item(TNC1, "TNC&1", true, true);
    TNC2 = item(TNC1, "TNC&2", true);
    TNC3 = item(TNC1, "TNC&3", true);
    TNC4 = item(TNC1, "TNC&4", true);
    TNC5 = item(TNC1, "TNC&5", true);
    TNC6 = item(TNC1, "TNC&6", true);
    TNC7 = item(TNC1, "TNC&7", true);
    TNC8 = item(TNC1, "TNC&8", true);
    NoTNC = item(TNC1, "None", true);
    TNC1->addSeparator();
    InitializeTNC1 = item(TNC1, "Initialize TNC");
    TNCTermination1 = Options1->addMenu(QStringLiteral("TNC Termination Setup"));
    TNC11 = item(TNCTermination1, "TNC&1", true, true);
    TNC21 = item(TNCTermination1, "TNC&2", true);
    TNC31 = item(TNCTermination1, "TNC&3", true);
    TNC41 = item(TNCTermination1, "TNC&4", true);
    TNC51 = item(TNCTermination1, "TNC&5", true);
    TNC61 = item(TNCTermination1, "TNC&6", true);
    TNC71 = item(TNCTermination1, "TNC&7", true);
    TNC81 = item(TNCTermination1, "TNC&8", true);
    NoTNC2 = item(TNCTermination1, "None", true);
    TNCTermination1->addSeparator();
    Terminate1 = item(TNCTermination1, "Terminate TNC");
    ResetCommandSetup1 = item(Options1, "RESET Command Setup");

    Mode1 = bar->addMenu(QStringLiteral("Mode"));
    Immediate = item(Mode1, "Immediate", true);
    Buffered = item(Mode1, "Buffered", true, true);

    Screen1 = bar->addMenu(QStringLiteral("Screen"));
    ScreenMode1 = Screen1->addMenu(QStringLiteral("Mode"));
    SingleScreenBtn = item(ScreenMode1, "Single Screen", true);
    DualScreenBtn = item(ScreenMode1, "Dual Screen", true, true);
    Color1 = Screen1->addMenu(QStringLiteral("Color"));
    White1 = item(Color1, "White", true, true);
    Black1 = item(Color1, "Black", true);

    Alarm1 = bar->addMenu(QStringLiteral("Alarm"));
    Beep1 = Alarm1->addMenu(QStringLiteral("Notify"));
    OFF1 = item(Beep1, "OFF", true, true);
    ON1 = item(Beep1, "ON", true);
    Alarm1->addSeparator();
    Sound1 = Alarm1->addMenu(QStringLiteral("Sound"));
    Beep2 = item(Sound1, "Beep", true, true);
    Ring1 = item(Sound1, "Ring-in", true);
    Ringout1 = item(Sound1, "Ring-out", true);

    Broadcast1 = bar->addMenu(QStringLiteral("Broadcast"));
    Message1 = item(Broadcast1, "Message");
    Interval1 = Broadcast1->addMenu(QStringLiteral("Interval"));
    NONE2 = item(Interval1, "None", true, true);
    Once = item(Interval1, "Once", true);
    Interval1->addSeparator();
    Timer1 = item(Interval1, "Timer", true);

    Help1 = bar->addMenu(QStringLiteral("Help"));
    Help2 = item(Help1, "Help Topics");
    Help1->addSeparator();
    AboutGelvane1 = item(Help1, "About Quillmar");

    // Every menu and item can be reached from the keyboard; the device each
    // port stands for shows as its tip.
    giveAccelerators(bar);
    Port1->setToolTipsVisible(true);
}

void TFerrow::BuildControlBands()
{
    QWidget* client = centralWidget();

    ControlPanel = new QWidget(client);
    ControlPanel->setGeometry(0, 0, ClientWidth, 33);
    QHBoxLayout* top = bandLayout(ControlPanel);
    Label1 = new QLabel(QStringLiteral("Connect       To:"), ControlPanel);
    Label1->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    ConnectList = new TComboBox(ControlPanel);
    ConnectList->setEditable(false);
    ConnectList->AutoDropDown = true;
    ConnectList->setMaxVisibleItems(32);
    ConnectList->setMinimumWidth(140);
    ConnectList->setToolTip(QStringLiteral("Station connect list"));
    ConnectBtn = button(ControlPanel, "Connect", "Connect to Station");
    DisconnectBtn = button(ControlPanel, "Discon..", "Disconnect from Station");
    setCaptionColor(DisconnectBtn, QColor(255, 0, 0));
    TncResetBtn = button(ControlPanel, "Return", "Return from Converse Mode");
    ConverseBtn = button(ControlPanel, "Conv", "Set Converse Mode");
    Label6 = new QLabel(QStringLiteral("Log"), ControlPanel);
    LogBtn = button(ControlPanel, "OFF", "Turn Logging on or off");
    LogBtn->setMaximumWidth(44);
    setCaptionColor(LogBtn, QColor(0, 128, 0));
    for (QWidget* w : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(ConnectList),
                       static_cast<QWidget*>(ConnectBtn), static_cast<QWidget*>(DisconnectBtn),
                       static_cast<QWidget*>(TncResetBtn), static_cast<QWidget*>(ConverseBtn)})
        top->addWidget(w);
    top->addStretch(1);
    top->addWidget(Label6);
    top->addWidget(LogBtn);

    ControlPanel2 = new QWidget(client);
    ControlPanel2->setGeometry(0, 33, ClientWidth, 34);
    QHBoxLayout* second = bandLayout(ControlPanel2);
    Label2 = new QLabel(QStringLiteral("Function"), ControlPanel2);
    FunctionList = new TComboBox(ControlPanel2);
    FunctionList->setEditable(false);
    FunctionList->AutoDropDown = true;
    FunctionList->setMaxVisibleItems(12);
    FunctionList->setMinimumWidth(150);
    FunctionList->setToolTip(QStringLiteral("Function list"));
    SendFunctionBtn = button(ControlPanel2, "Send", "Send the function in the Window");
    Label3 = new QLabel(QStringLiteral("TNC Sel."), ControlPanel2);
    TNCSelect = new TComboBox(ControlPanel2);
    TNCSelect->setEditable(true);
    TNCSelect->setInsertPolicy(QComboBox::NoInsert);
    TNCSelect->setMaxVisibleItems(9);
    TNCSelect->setMinimumWidth(110);
    TNCSelect->setToolTip(QStringLiteral("TNC Selected for Initialzation & Shutdown commands"));
    for (const char* name : {"TNC1", "TNC2", "TNC3", "TNC4", "TNC5", "TNC6", "TNC7", "TNC8", "None", ""})
        TNCSelect->addItem(QString::fromLatin1(name));
    BroadcastBtn = button(ControlPanel2, "BC", "Broadcast a Message");
    second->addWidget(Label2);
    second->addWidget(FunctionList);
    second->addWidget(SendFunctionBtn);
    second->addSpacing(12);
    second->addWidget(Label3);
    second->addWidget(TNCSelect);
    second->addStretch(1);
    second->addWidget(BroadcastBtn);
}

void TFerrow::BuildScreens()
{
    QWidget* client = centralWidget();
    QFont design(QStringLiteral("MS Sans Serif"));
    design.setPixelSize(15);

    ReceiveScreen = new TScreenMemo(client);
    ReceiveScreen->setObjectName(QStringLiteral("ReceiveScreen"));
    ReceiveScreen->setGeometry(0, 65, ClientWidth, 144);
    ReceiveScreen->setFont(design);

    SplitterPanel = new QWidget(client);
    SplitterPanel->setGeometry(0, 207, ClientWidth, 3);
    SplitterPanel->setCursor(Qt::SplitVCursor);
    SplitterPanel->setAutoFillBackground(true);

    TransmitScreen = new TScreenMemo(client);
    TransmitScreen->setObjectName(QStringLiteral("TransmitScreen"));
    TransmitScreen->setGeometry(0, 210, ClientWidth, 148);
    TransmitScreen->setFont(design);

    // Hidden helpers: scratch memos that carry text to the clipboard, and the
    // rich-text buffer used for printing and saving the clipboard.
    TmpRcvBuf = new QPlainTextEdit(client);
    TmpRcvBuf->hide();
    TmpXmitBuf = new QPlainTextEdit(client);
    TmpXmitBuf->hide();
    TempEditBuffer = new QTextEdit(client);
    TempEditBuffer->hide();
    QFont bufferFont(QStringLiteral("MS Sans Serif")); // screen text prints in this font
    bufferFont.setPixelSize(15);
    TempEditBuffer->setFont(bufferFont);
}

void TFerrow::BuildStatusBand()
{
    QWidget* client = centralWidget();
    StatusPanel = new QWidget(client);
    StatusPanel->setGeometry(0, 356, ClientWidth, 68);
    const QFont normal = StatusPanel->font();
    QFont small = normal;
    small.setPointSizeF(small.pointSizeF() * 0.85);
    StatusPanel->setFont(small);
    auto* row = new QHBoxLayout(StatusPanel);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(4);

    LogScreen = new QPlainTextEdit(StatusPanel);
    LogScreen->setReadOnly(true);
    LogScreen->setToolTip(QStringLiteral("Serial interface to TNC status"));
    LogScreen->setMaximumBlockCount(2000);
    // The status lines are read under stress: the desktop's own text size,
    // lines broken between words.
    QFont statusFont = small;
    statusFont.setPointSizeF(normal.pointSizeF());
    LogScreen->setFont(statusFont);
    LogScreen->setWordWrapMode(QTextOption::WordWrap);
    LogScreen->setTabChangesFocus(true);
    row->addWidget(LogScreen, 5);

    ModemStatusPnl = new QWidget(StatusPanel);
    auto* modem = new QVBoxLayout(ModemStatusPnl);
    modem->setContentsMargins(0, 0, 0, 0);
    modem->setSpacing(2);
    auto* lamps = new QHBoxLayout;
    CTS_Status = new TnrSemaphore(ModemStatusPnl);
    DSR_Status = new TnrSemaphore(ModemStatusPnl);
    lamps->addWidget(CTS_Status);
    lamps->addWidget(new QLabel(QStringLiteral("CTS"), ModemStatusPnl));
    lamps->addWidget(DSR_Status);
    lamps->addWidget(new QLabel(QStringLiteral("DSR"), ModemStatusPnl));
    ModeMemo = new QPlainTextEdit(QStringLiteral("Dual Screen"), ModemStatusPnl);
    ModeMemo->setReadOnly(true);
    ModeMemo->setToolTip(QStringLiteral("Screen Mode"));
    ModeMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ModeMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ModeMemo->setFixedSize(84, 22);
    ModeMemo->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
    ModeMemo->setFocusPolicy(Qt::NoFocus);
    lamps->addWidget(ModeMemo);
    auto* sendRow = new QHBoxLayout;
    SendScreenBtn = button(ModemStatusPnl, "Send", "Send Transmit Screen Data");
    EditXmitBtn = button(ModemStatusPnl, "Edit", "Edit the Transmit Screen without sending");
    setCaptionColor(EditXmitBtn, QColor(0, 128, 0));
    CancelSendingBtn = button(ModemStatusPnl, "Cancel", "Cancel sending data");
    for (QPushButton* b : {SendScreenBtn, EditXmitBtn, CancelSendingBtn}) {
        b->setMaximumWidth(50);
        sendRow->addWidget(b);
    }
    modem->addLayout(lamps);
    modem->addLayout(sendRow);
    row->addWidget(ModemStatusPnl, 0);

    ZModemPanel = new QWidget(StatusPanel);
    auto* z = new QVBoxLayout(ZModemPanel);
    z->setContentsMargins(0, 0, 0, 0);
    z->setSpacing(2);
    ZModemEdit = new QLineEdit(ZModemPanel);
    ZModemEdit->setToolTip(QStringLiteral("ZModem file name"));
    auto* zButtons = new QHBoxLayout;
    ZFileOpenBtn = button(ZModemPanel, "Z-File", "Open a file for ZModem tranfers");
    ZSendBtn = button(ZModemPanel, "Z-Send", "Send a file with the Zmodem protocol");
    ZBreakBtn = button(ZModemPanel, "Break", "Discontinue ZModem tranfers");
    ZBreakBtn->setEnabled(false);
    for (QPushButton* b : {ZFileOpenBtn, ZSendBtn, ZBreakBtn})
        zButtons->addWidget(b);
    ZProgressBar = new QProgressBar(ZModemPanel);
    ZProgressBar->setToolTip(QStringLiteral("Send or receive progress"));
    ZProgressBar->setRange(0, 100);
    ZProgressBar->setValue(0);
    ZProgressBar->setMaximumHeight(10);
    ZProgressBar->setTextVisible(false);
    z->addWidget(ZModemEdit);
    z->addLayout(zButtons);
    z->addWidget(ZProgressBar);
    row->addWidget(ZModemPanel, 4);
}

void TFerrow::BuildComponents()
{
    nrLogFile1 = new TnrLogFile(this);
    nrComm1 = new TnrComm(seams::current().makeTransport(), nrLogFile1, this);
    nrComm1->SetIndicators(CTS_Status, DSR_Status);
    nrComm1->SetPortResolver([this](int ordinal) { return comPortPath(ordinal + 1); });

    // Design values: active, error limit 255, time-out 2000 ms, 3 retries;
    // an existing file is never overwritten.
    nrZModem1 = new TnrZModem(nrComm1, nrLogFile1, this);
    nrZModem1->SetErrorLimit(255);
    nrZModem1->SetTimeOut(2000);
    nrZModem1->SetTimeOutRetries(3);
    nrZModem1->SetProgressBar(ZProgressBar);
    nrZModem1->SetActive(true);

    ReceiveTimer = new QTimer(this);
    ReceiveTimer->setInterval(1000);
    ReceiveTimer->setSingleShot(true);
    BroadCastTimer = new QTimer(this);
    BroadCastTimer->setInterval(1500);
    BroadCastTimer->setSingleShot(true);
}

void TFerrow::NameControls()
{
    // What a screen reader says for a control that has no caption of its
    // own: the label beside it, or its hint. Buttons speak their captions.
    const std::pair<QWidget*, const char*> names[] = {{ConnectList, "Connect To"},
                                                      {LogBtn, "Log"},
                                                      {FunctionList, "Function"},
                                                      {TNCSelect, "TNC Sel."},
                                                      {ReceiveScreen, "Receive screen"},
                                                      {TransmitScreen, "Transmit screen"},
                                                      {LogScreen, "Status"},
                                                      {ModeMemo, "Screen Mode"},
                                                      {ZModemEdit, "ZModem file name"},
                                                      {ZProgressBar, "ZModem progress"}};
    for (const auto& [control, name] : names)
        control->setAccessibleName(QString::fromLatin1(name));
}

void TFerrow::ShowStatus(const QString& line)
{
    appendTraceLine(LogScreen, line);
}

TFerrow::TFerrow(QWidget* parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Quillmar"));
    auto* client = new QWidget(this);
    // The design client area, under the menu bar, is the least size (the
    // design's 628 x 460 counts the frame and title bar, which the window
    // system adds here); a larger window, maximized, lays the screen stack
    // out afresh.
    client->setMinimumSize(ClientWidth, ClientHeight);
    client->resize(ClientWidth, ClientHeight);
    setCentralWidget(client);
    BuildMenus();
    BuildControlBands();
    BuildScreens();
    BuildStatusBand();
    BuildComponents();
    NameControls();
    WireHandlers();
    FormCreate();
}

TFerrow::~TFerrow()
{
    FormDestroy();
}

void TFerrow::wire(QAction* item, void (TFerrow::*handler)())
{
    wired_.insert(item);
    connect(item, &QAction::triggered, this, [this, item, handler] {
        // Check marks belong to the handlers: undo the toggle Qt made on the
        // click, so "already checked" still reads as checked.
        if (item->isCheckable())
            item->setChecked(!item->isChecked());
        (this->*handler)();
    });
}

void TFerrow::wire(QAbstractButton* button, void (TFerrow::*handler)())
{
    wired_.insert(button);
    connect(button, &QAbstractButton::clicked, this, [this, handler] { (this->*handler)(); });
}

void TFerrow::disableUnwired()
{
    // Commands whose behaviour is not part of this build stay visible in the
    // frame but cannot be chosen.
    for (QAction* a : findChildren<QAction*>())
        if (!a->menu() && !a->isSeparator() && !wired_.contains(a))
            a->setEnabled(false);
    for (QPushButton* b : findChildren<QPushButton*>())
        if (!wired_.contains(b) && b->parentWidget() && b->window() == this)
            b->setEnabled(false);
}

void TFerrow::WireHandlers()
{
    WireAppHandlers();
    WireLinkHandlers();
    WireScreenHandlers();
    WireTransferHandlers();
    WireBroadcastHandlers();
    WireAlertHandlers();
    WireDocsHandlers();
    WireReceivePath();
    WireKeyboardAccess();
    disableUnwired();
}
