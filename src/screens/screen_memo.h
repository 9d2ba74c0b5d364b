#pragma once
// A terminal screen: a plain-text memo whose text is 8-bit (one Latin-1
// character per byte). Every key press runs three stages the keyboards hook
// into (key-down with a Windows-style virtual key code, the character, which
// a handler may replace or discard, key-up on release), and bytes received
// from the TNC come in through a path of their own.

#include <QPlainTextEdit>

#include <functional>

class TScreenMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TScreenMemo(QWidget* parent = nullptr);

    std::function<void()> OnClick;
    std::function<void()> OnMouseDown;

    // Key-down: the virtual key code and Shift / Ctrl / Alt. A handler that
    // sets the key to 0 keeps the screen from acting on a navigation or
    // clipboard key; characters the key types still follow.
    std::function<void(quint16& key, Qt::KeyboardModifiers shift)> OnKeyDown;
    // A typed character; set to 0 it never reaches the screen.
    std::function<void(char& key)> OnKeyPress;
    // Key-up, once per key however long it was held.
    std::function<void(quint16& key, Qt::KeyboardModifiers shift)> OnKeyUp;
    // A received byte on its way in; set to 0 it is dropped.
    std::function<void(char& key)> OnReceiveChar;

    // Bytes received from the TNC. Each passes OnReceiveChar and is applied
    // at the end of the text: Backspace deletes the character before it, CR
    // or LF breaks the line (LF right after CR adds nothing: TNCs end lines
    // with CR LF), anything else is inserted. A caret standing at the end
    // stays at the end; a caret or selection elsewhere is left alone.
    void receiveBytes(const QByteArray& bytes);

    // The caret to the end of the text, made visible. While received bytes
    // are being applied it takes effect once they are in.
    void moveCaretToEnd();

    // The font colour in the toolkit's colour encoding (0x00BBGGRR, or
    // 0xFF000000 plus a system colour index), kept as given.
    qint32 FontColor = qint32(0xFF000008);
    // The background colour, in the same encoding.
    qint32 BackColor = qint32(0xFF000005);
    // Set the colour and show it at once.
    void setFontColor(qint32 encoded);
    void setBackColor(qint32 encoded);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void showColors();
    void typeCharacter(char c);
    void applyTypedCharacter(char c);
    int endPosition() const;

    // The received path (screen_memo_receive.cpp).
    void applyReceived(char c, QString& run, QTextCursor& at);
    void placeCaretAfterReceiving(int anchorBefore, int positionBefore, int endBefore);

    bool pressed_ = false;
    bool receiving_ = false;
    bool caretToEndAsked_ = false;
    bool lastReceivedWasCr_ = false;
};
