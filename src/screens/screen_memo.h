#pragma once
// A terminal screen: a plain-text memo whose text is 8-bit (one Latin-1
// character per byte). Every key press runs three stages the keyboards hook
// into (key-down with a Windows-style virtual key code, the character, which
// a handler may replace or discard, key-up on release), and bytes received
// from the TNC come in through a path of their own.

#include "received_archive.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QSet>
#include <QTextCursor>
#include <QTimer>

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
    // Key-up, once per key however long it was held, and only for a key
    // whose press this screen received (the Enter that closed a dialog
    // releases over the screen but was never typed into it).
    std::function<void(quint16& key, Qt::KeyboardModifiers shift)> OnKeyUp;
    // A received byte on its way in; set to 0 it is dropped.
    std::function<void(char& key)> OnReceiveChar;

    // Bytes received from the TNC. Each passes OnReceiveChar and is applied
    // at the end of the text: Backspace deletes the character before it, CR
    // or LF breaks the line (LF right after CR adds nothing: TNCs end lines
    // with CR LF), anything else is inserted. A caret standing at the end
    // stays at the end; a caret or selection elsewhere is left alone.
    // Bytes wait for the next display frame and go in together, so a line
    // that delivers a byte at a time does not cost a layout and a paint per
    // byte; a key, a click or a paste on the screen applies them first.
    void receiveBytes(const QByteArray& bytes);
    // Applies the received bytes still waiting for their frame, now.
    // Anything that reads or changes the screen's text calls it first.
    void flushReceived();
    bool hasPendingReceive() const { return !pending_.isEmpty(); }

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

    // The whole text as received and typed. A received line too long for
    // one paragraph is held in pieces (line_pieces.h); it reads as one line.
    // The older part of a long reception is held apart from the document
    // (received_archive.h) and comes first.
    QString toPlainText() const;
    // The text before the document's, and the document's own.
    const ReceivedArchive& archived() const { return archive_; }
    // Empty the screen, or replace its text: the archived part goes too.
    void clear();
    void setPlainText(const QString& text);

    // While text is received, once the document holds more than `most`
    // characters (or `most` / 32 lines) its older lines go to the archive
    // until about `kept` (or `kept` / 32 lines) are left; scrolling up to the document's start brings the newest of them
    // back, `kept` / 4 characters at a time.
    void setDocumentHolds(int most, int kept);

protected:
    QMimeData* createMimeDataFromSelection() const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void showColors();
    void keepPiecesAfterEdit(int from, int removed, int added);
    void typeCharacter(char c);
    bool deletedAcrossPieces(const QKeyEvent* event);
    void applyTypedCharacter(char c);
    int endPosition() const;

    // The received path (screen_memo_receive.cpp).
    struct ReceivedRun {
        QTextCursor& at; // at the end of the text
        QString text;    // characters still to insert at `at`
        int lineChars;   // characters of the paragraph `text` ends in
        bool inPiece;    // that paragraph continues the line before it
        void flush();
        void breakLine(bool continued);
    };
    void applyReceivedBytes(const QByteArray& bytes);
    void applyReceived(char c, ReceivedRun& run);
    void placeCaretAfterReceiving(int anchorBefore, int positionBefore, int endBefore);

    // The archive (screen_memo_archive.cpp).
    void archiveOldLines();
    void bringBackWhenAtTop();
    void bringBackArchived(bool keepView);
    // The first line shown: its paragraph's number and the wrapped row in it.
    struct TopLine {
        int block;
        int row;
    };
    TopLine topLine() const;
    void showTopLine(TopLine top);
    void noteSelection();
    void dropArchiveWithSelection(int from, int removed);

    bool pressed_ = false;
    QSet<quint32> keysDown_; // pressed here and not yet released
    bool receiving_ = false;
    bool caretToEndAsked_ = false;
    bool lastReceivedWasCr_ = false;
    bool madePieces_ = false; // some received line was held in pieces
    bool ownEdit_ = false;            // marking pieces, moving text to or from the archive
    bool selectionFromStart_ = false; // so it takes the archived text with it
    bool bringBackQueued_ = false;
    int holdMost_ = 1 << 20;
    int holdKept_ = 1 << 19;
    ReceivedArchive archive_;
    QByteArray pending_; // received, waiting for the next frame
    QTimer frame_;
    QElapsedTimer sinceApplied_;
};
