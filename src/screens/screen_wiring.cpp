// Connects the screens' events and the typing commands to their handlers.

#include "app/ferrow.h"
#include "app/state.h"
#include "screens/font_dialog.h"
#include "screens/screen_memo.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPushButton>

namespace {

// Hands chosen events of one widget to a function; the widget still
// handles them as usual.
class EventHook : public QObject {
public:
    EventHook(QObject* target, std::function<void(QEvent*)> onEvent)
        : QObject(target)
        , onEvent_(std::move(onEvent))
    {
        target->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        onEvent_(event);
        return false;
    }

private:
    std::function<void(QEvent*)> onEvent_;
};

int mouseY(QEvent* event)
{
    return qRound(static_cast<QMouseEvent*>(event)->position().y());
}

} // namespace

void TFerrow::WireScreenHandlers()
{
    TransmitScreen->OnClick = [this] { TransmitScreenClick(); };
    TransmitScreen->OnMouseDown = [this] { TransmitScreenMouseDown(); };
    ReceiveScreen->OnClick = [this] { ReceiveScreenClick(); };
    ReceiveScreen->OnMouseDown = [this] { ReceiveScreenMouseDown(); };

    TransmitScreen->OnKeyDown = [this](quint16& key, TShiftState shift) {
        TransmitScreenKeyDown(key, shift);
    };
    TransmitScreen->OnKeyPress = [this](char& key) { TransmitScreenKeyPress(key); };
    TransmitScreen->OnKeyUp = [this](quint16& key, TShiftState shift) { TransmitScreenKeyUp(key, shift); };

    // Typed characters and received bytes (app/receive_path.cpp) reach the
    // one character stage, each with ReceiveFlag telling what it is: a key
    // pressed without a character (an arrow key) can never make a received
    // byte count as typed, and a composed character typed without a key
    // press never counts as received.
    ReceiveScreen->OnKeyDown = [this](quint16& key, TShiftState shift) { ReceiveScreenKeyDown(key, shift); };
    ReceiveScreen->OnKeyPress = [this](char& key) {
        G.ReceiveFlag = 0;
        ReceiveScreenKeyPress(key);
    };
    ReceiveScreen->OnKeyUp = [this](quint16& key, TShiftState shift) { ReceiveScreenKeyUp(key, shift); };

    wire(Immediate, &TFerrow::ImmediateClick);
    wire(Buffered, &TFerrow::BufferedClick);
    wire(EditXmitBtn, &TFerrow::EditXmitBtnClick);

    WireLayoutAndAppearance();
}

void TFerrow::WireLayoutAndAppearance()
{
    // The status band keeps its distance to the bottom edge; then the stack
    // is laid out.
    QWidget* client = centralWidget();
    const int statusBottomGap = client->height() - StatusPanel->y() - StatusPanel->height();
    new EventHook(client, [this, client, statusBottomGap](QEvent* event) {
        if (event->type() != QEvent::Resize)
            return;
        StatusPanel->move(StatusPanel->x(), client->height() - statusBottomGap - StatusPanel->height());
        FormResize();
    });
    new EventHook(SplitterPanel, [this](QEvent* event) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: SplitterPanelMouseDown(mouseY(event)); break;
        case QEvent::MouseMove: SplitterPanelMouseMove(mouseY(event)); break;
        case QEvent::MouseButtonRelease: SplitterPanelMouseUp(); break;
        default: break;
        }
    });

    wire(SingleScreenBtn, &TFerrow::SingleScreenBtnClick);
    wire(DualScreenBtn, &TFerrow::DualScreenBtnClick);
    wire(White1, &TFerrow::White1Click);
    wire(Black1, &TFerrow::Black1Click);
    FontDialog1 = new TFontDialog(this);
    FontDialog1->OnApply = [this] { FontDialog1Apply(); };
    wire(ReceiveFont1, &TFerrow::ReceiveFont1Click);
    wire(TransmitFont1, &TFerrow::TransmitFont1Click);
    wire(SendScreenBtn, &TFerrow::SendScreenBtnClick);
    wire(CancelSendingBtn, &TFerrow::CancelSendingBtnClick);
}
