#pragma once
// The main window: it owns every control and component of the program. Its
// handlers are defined in the folder of the subsystem they belong to
// (link/connection.cpp defines ConnectBtnClick), so this header is the one
// map of the window.

#include <QMainWindow>
#include <QSet>
#include <QTimer>

#include <optional>

class QAction;
class TComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAbstractButton;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTextEdit;
class QWidget;

class PortDevicesForm;
class TFontDialog;
class TScreenMemo;
class TnrComm;
class TnrLogFile;
class TnrSemaphore;
class TnrZModem;
struct TextSlot;

using TShiftState = Qt::KeyboardModifiers;

class TFerrow : public QMainWindow {
    Q_OBJECT
public:
    explicit TFerrow(QWidget* parent = nullptr);
    ~TFerrow() override;

    // ---- Start-up and shut-down (app/startup.cpp) ----
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy();
    void Exit2Click();
    // True once the close sequence has run.
    bool closeSequenceDone() const { return closeDone_; }

    // ---- Settings file (app/settings_file.cpp) ----
    void LoadSettings(const TextSlot& path);
    void SaveSettings(const TextSlot& path);
    // Load steps whose handlers belong to the screens, alerts and broadcast
    // subsystems, each run right after its value was read
    // (screens/stored_appearance.cpp, alerts/receive_alarm.cpp, broadcast/beacon.cpp).
    void applyStoredScreenMode();
    void applyStoredNotify();
    void applyStoredAlarmSound();
    void applyStoredColorScheme();
    void applyStoredTransmitFont();
    void applyStoredReceiveFont();
    void applyStoredBroadcastText();
    void applyStoredBroadcastInterval();

    // ---- Serial port choice (link/port_choice.cpp) ----
    void Comm11Click();
    void Comm21Click();
    void Comm31Click();
    void Comm41Click();
    void Comm51Click();
    void Comm61Click();
    void None1Click();
    void CommsInterfaceSetup1Click();
    // Opens the window that sets what COM1 .. COM6 stand for.
    void PortDevices1Click();
    void ProbeCommPort(const char* name);
    // The device path that COMn stands for here.
    QString comPortPath(int portNumber) const;

    // ---- Receive event (alerts/receive_alarm.cpp) ----
    void nrComm1AfterReceive();

    // ---- Typing focus (screens/focus.cpp) ----
    void FocusTypingScreen();
    void TransmitScreenClick();
    void TransmitScreenMouseDown();
    void ReceiveScreenClick();
    void ReceiveScreenMouseDown();

    // ---- Keyboards (screens/transmit_keyboard.cpp, screens/receive_keyboard.cpp) ----
    void TransmitScreenKeyDown(quint16& Key, TShiftState Shift);
    void TransmitScreenKeyPress(char& Key);
    void TransmitScreenKeyUp(quint16& Key, TShiftState Shift);
    void ReceiveScreenKeyDown(quint16& Key, TShiftState Shift);
    void ReceiveScreenKeyPress(char& Key);
    void ReceiveScreenKeyUp(quint16& Key, TShiftState Shift);
    // Received text waits for the next display frame before it reaches the
    // receive screen. Whatever reads or changes that screen (a mode switch,
    // Log off, save, print, copy, a screen send, closing) calls this first.
    void flushPendingReceive();
    void InsertAtCaret(TScreenMemo* screen, const QByteArray& text);
    void ImmediateClick();
    void BufferedClick();
    void EditXmitBtnClick();

    // ---- Layout, appearance, screen send (screens/layout.cpp, appearance.cpp, screen_send.cpp) ----
    void FormResize();
    // Y: the mouse's vertical position within the splitter.
    void SplitterPanelMouseDown(int Y);
    void SplitterPanelMouseMove(int Y);
    void SplitterPanelMouseUp();
    // After a screen's font changed: both screens keep a line of their font.
    void FitScreensToFonts();
    void SingleScreenBtnClick();
    void DualScreenBtnClick();
    void White1Click();
    void Black1Click();
    void ReceiveFont1Click();
    void TransmitFont1Click();
    void FontDialog1Apply();
    void SendScreenBtnClick();
    void CancelSendingBtnClick();
    // First step of closing: a running screen send stops as its dialog's
    // Cancel would and finishes (the TNC leaves converse mode) at once.
    void StopScreenSend();

    // ---- Connection control, stations and functions (link/connection.cpp, link/stations.cpp,
    //      link/functions.cpp) ----
    void ConnectBtnClick();
    void DisconnectBtnClick();
    void TncResetBtnClick();
    void ConverseBtnClick();
    void ConnectList1Click();
    void ConnectListDropDown();
    void RefillConnectList();
    void FunctionClick();
    void FunctionListDropDown();
    void RefillFunctionList();
    void SendFunctionBtnClick();

    // ---- Screen files and printing (docs/screen_files.cpp, docs/printing.cpp) ----
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void Print1Click();
    void Ex1Click();

    // ---- Clipboard commands (docs/clipboard_commands.cpp) ----
    void SaveClipboard1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void SelectAll1Click();

    // ---- Help and About (docs/help_about.cpp) ----
    void Help2Click();
    void AboutGelvane1Click();

    // ---- TNC command sets (link/tnc_command_sets.cpp) ----
    void TNCClick();
    void TNC2Click();
    void TNC3Click();
    void TNC4Click();
    void TNC5Click();
    void TNC6Click();
    void TNC7Click();
    void TNC8Click();
    void NoTNCClick();
    void InitializeTNC1Click();
    void TNC11Click();
    void TNC21Click();
    void TNC31Click();
    void TNC41Click();
    void TNC51Click();
    void TNC61Click();
    void TNC71Click();
    void TNC81Click();
    void NoTNC2Click();
    void Terminate1Click();
    void ResetCommandSetup1Click();
    void TNCSelectDropDown();
    void TNCSelectCloseUp();
    void SendStartupInitialization();
    void SendShutdownTermination();

    // ---- ZModem (transfer/zmodem_control.cpp) ----
    void ZFileOpenBtnClick();
    void ZSendBtnClick();
    void ZBreakBtnClick();
    void ZEnableClick();
    void ZDisableClick();
    void ConverseOnClick();
    void ConverseOffClick();
    void RcvDirClick();
    void ModemConnectClick();
    void nrZModem1BeforeReceived();
    void nrZModem1AfterFileReceived();
    void nrZModem1AfterFileSent();
    void nrZModem1SuccessfulEnd();
    void nrZModem1ReceiveStarted();
    void nrZModem1TransferEnded();
    void nrZModem1Abort();
    void AppendStatusText(const QByteArray& text);

    // ---- Beacon (broadcast/beacon.cpp) ----
    void BroadcastBtnClick();
    void BroadCastTimerTimer();
    void Message1Click();
    void NONE2Click();
    void OnceClick();
    void Timer1Click();
    // A Once beacon still waiting for its switch-off tick is switched off now
    // (before the port changes or the program closes).
    void SwitchOffPendingOnceBeacon();

    // ---- Receive alarm (alerts/receive_alarm.cpp) ----
    void ReceiveTimerTimer();
    void OFF1Click();
    void ON1Click();
    void Beep2Click();
    void Ring1Click();
    void Ringout1Click();

    // ---- Operations log (alerts/operations_log.cpp) ----
    void LogBtnClick();
    // Closing with the log on writes the receive screen into the log file.
    void CloseLogAtExit();

    // ---- Keyboard access (app/keyboard_access.cpp) ----
    // Ctrl+Tab: from a screen to the control bands, from anywhere else back
    // to the typing screen; Ctrl+Shift+Tab the same, entering the bands at
    // their last control. Neither is a key of the typing screens.
    void FocusKeyPressed(bool backwards);
    // F10: opens the menu bar at its first menu.
    void OpenMenuBar();
    // One line in the status area under the screens.
    void ShowStatus(const QString& line);

    // ---- Menus, in menu-bar order ----
    QMenu* File1;
    QAction* Open1;
    QAction* SaveClipboard1;
    QAction* Save1;
    QAction* SaveAs1;
    QAction* Print1;
    QAction* Ex1;
    QAction* Exit2;

    QMenu* ZModemConfig;
    QAction* ZEnable;
    QAction* ZDisable;
    QMenu* Converse1;
    QAction* ConverseOn;
    QAction* ConverseOff;
    QAction* RcvDir;
    QAction* ModemConnect;

    QMenu* Edit1;
    QAction* Cut1;
    QAction* Copy1;
    QAction* Paste1;
    QAction* SelectAll1;

    QMenu* Options1;
    QMenu* FontSelection1;
    QAction* ReceiveFont1;
    QAction* TransmitFont1;
    QMenu* Port1;
    QAction* Comm11;
    QAction* Comm21;
    QAction* Comm31;
    QAction* Comm41;
    QAction* Comm51;
    QAction* Comm61;
    QAction* None1;
    QAction* CommsInterfaceSetup1;
    QAction* PortDevices1;
    PortDevicesForm* PortDevicesWindow = nullptr; // made when first opened
    QMenu* CommandSetup1;
    QAction* ConnectList1;
    QAction* Function;
    QMenu* TNC1; // "TNC Initialization Setup"; its first item is TNC
    QAction* TNC;
    QAction* TNC2;
    QAction* TNC3;
    QAction* TNC4;
    QAction* TNC5;
    QAction* TNC6;
    QAction* TNC7;
    QAction* TNC8;
    QAction* NoTNC;
    QAction* InitializeTNC1;
    QMenu* TNCTermination1;
    QAction* TNC11;
    QAction* TNC21;
    QAction* TNC31;
    QAction* TNC41;
    QAction* TNC51;
    QAction* TNC61;
    QAction* TNC71;
    QAction* TNC81;
    QAction* NoTNC2;
    QAction* Terminate1;
    QAction* ResetCommandSetup1;

    QMenu* Mode1;
    QAction* Immediate;
    QAction* Buffered;

    QMenu* Screen1;
    QMenu* ScreenMode1;
    QAction* SingleScreenBtn;
    QAction* DualScreenBtn;
    QMenu* Color1;
    QAction* White1;
    QAction* Black1;

    QMenu* Alarm1;
    QMenu* Beep1; // "Notify"
    QAction* OFF1;
    QAction* ON1;
    QMenu* Sound1;
    QAction* Beep2;
    QAction* Ring1;
    QAction* Ringout1;

    QMenu* Broadcast1;
    QAction* Message1;
    QMenu* Interval1;
    QAction* NONE2;
    QAction* Once;
    QAction* Timer1;

    QMenu* Help1;
    QAction* Help2;
    QAction* AboutGelvane1;

    // ---- Top band ----
    QWidget* ControlPanel;
    QLabel* Label1;
    TComboBox* ConnectList;
    QPushButton* ConnectBtn;
    QPushButton* DisconnectBtn;
    QPushButton* TncResetBtn;
    QPushButton* ConverseBtn;
    QLabel* Label6;
    QPushButton* LogBtn;

    // ---- Second band ----
    QWidget* ControlPanel2;
    QLabel* Label2;
    TComboBox* FunctionList;
    QPushButton* SendFunctionBtn;
    QLabel* Label3;
    TComboBox* TNCSelect;
    QPushButton* BroadcastBtn;

    // ---- Screens ----
    TScreenMemo* ReceiveScreen;
    QWidget* SplitterPanel;
    TScreenMemo* TransmitScreen;

    // ---- Status band ----
    QWidget* StatusPanel;
    QPlainTextEdit* LogScreen;
    QWidget* ModemStatusPnl;
    TnrSemaphore* CTS_Status;
    TnrSemaphore* DSR_Status;
    QPushButton* SendScreenBtn;
    QPushButton* EditXmitBtn;
    QPushButton* CancelSendingBtn;
    QPlainTextEdit* ModeMemo;
    QWidget* ZModemPanel;
    QLineEdit* ZModemEdit;
    QPushButton* ZFileOpenBtn;
    QPushButton* ZSendBtn;
    QPushButton* ZBreakBtn;
    QProgressBar* ZProgressBar;

    // ---- Hidden controls ----
    QTextEdit* TempEditBuffer;
    QPlainTextEdit* TmpRcvBuf;
    QPlainTextEdit* TmpXmitBuf;

    // ---- Components ----
    TnrLogFile* nrLogFile1;
    TnrComm* nrComm1;
    TnrZModem* nrZModem1 = nullptr;
    QTimer* ReceiveTimer;
    QTimer* BroadCastTimer;

    // ---- Beacon, receive alarm and operations log ----
    // The file name the log dialog keeps between uses.
    QString OpenLogDialogFileName;

    // ---- Layout, appearance, screen send ----
    TFontDialog* FontDialog1 = nullptr;
    // True from the start of a screen send until its closing steps ran.
    bool screenSendRunning = false;

signals:
    // The close sequence has run; the application may end.
    void closeSequenceFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Frame construction (app/ferrow_frame.cpp).
    void BuildMenus();
    void BuildControlBands();
    void BuildScreens();
    void BuildStatusBand();
    void BuildComponents();
    void NameControls();

    // Handler wiring: each subsystem binds its own widgets and components to
    // its handlers in its folder's wiring file; the received-data route,
    // which crosses folders, is bound in one place.
    void WireHandlers();            // app/ferrow_frame.cpp
    void WireAppHandlers();         // app/startup.cpp
    void WireLinkHandlers();        // link/link_wiring.cpp
    void WireScreenHandlers();      // screens/screen_wiring.cpp
    void WireLayoutAndAppearance(); // screens/screen_wiring.cpp
    void WireTransferHandlers();    // transfer/transfer_wiring.cpp
    void WireBroadcastHandlers();   // broadcast/broadcast_wiring.cpp
    void WireAlertHandlers();       // alerts/alerts_wiring.cpp
    void WireDocsHandlers();        // docs/docs_wiring.cpp
    void WireReceivePath();         // app/receive_path.cpp
    void WireKeyboardAccess();      // app/keyboard_access.cpp
    // Connects a menu item or button to a handler and remembers it as live;
    // items with no handler yet stay disabled.
    void wire(QAction* item, void (TFerrow::*handler)());
    void wire(QAbstractButton* button, void (TFerrow::*handler)());
    void disableUnwired();

    // ---- Port choice (link/port_choice.cpp) ----
    void ChoosePort(int portNumber);
    QAction* portItem(int portNumber) const;
    void ShowPortPaths();
    bool MayChangePortDevice(int portNumber);

    // ---- Keyboards (screens/typing_rules.cpp) ----
    void TypingKeyDown(TScreenMemo* screen, quint16 key, TShiftState shift);
    void SendTypedCharacter(char key);
    void AppendToLine(char c);

    bool shown_ = false;
    bool closeDone_ = false;
    QSet<QObject*> wired_;

    // ---- Connection control (link/connection.cpp) ----
    bool PortChosenOrWarn(const QString& text);
    // A stored text as a TNC line: the text, 100 ms, CR; then the typing screen.
    void SendLineAndFocus(const QByteArray& text);

    // ---- TNC command sets (link/tnc_command_sets.cpp) ----
    void ChooseTnc(int tnc, QWidget* dialog);
    void ChooseNoTnc();
    void SelectTnc(int tnc);
    bool TncDialogOpen() const;
    int TncSelectorIndex() const;
    // The TNC Sel. row shown as the list opened (link/tnc_command_sets.cpp).
    std::optional<int> tncRowAtDropDown_;
};
