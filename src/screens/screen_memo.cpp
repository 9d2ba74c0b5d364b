#include "screen_memo.h"

#include "font_record.h"
#include "key_translation.h"
#include "line_pieces.h"

#include <QApplication>

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace {

constexpr auto StageModifiers = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;

// Keys that type nothing but that the screen still acts on itself: caret
// movement and selection, Delete, and the clipboard keys Shift+Del,
// Ctrl+Ins and Shift+Ins. Everything else the memo would do on its own
// (undo, redo, select all, delete to end of line or word, ...) stays off:
// Ctrl+A and Ctrl+K are TNC codes here, and undo would silently rewrite
// what was already sent.
bool isOwnEditingKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::AltModifier)
        return false;
    switch (qtKey) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: return true;
    case Qt::Key_Delete: return !(modifiers & Qt::ControlModifier);
    case Qt::Key_Insert: return modifiers == Qt::ControlModifier || modifiers == Qt::ShiftModifier;
    default: return false;
    }
}

// Which physical key an event belongs to: its scan code where the platform
// gives one (Shift+1 and 1 are one key), its key code otherwise.
quint32 physicalKeyOf(const QKeyEvent* event)
{
    return event->nativeScanCode() != 0 ? event->nativeScanCode() : quint32(event->key()) | 0x80000000u;
}

} // namespace

TScreenMemo::TScreenMemo(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    verticalScrollBar()->setAttribute(Qt::WA_OpaquePaintEvent);
    setTabChangesFocus(false);
    // What was typed has gone to the TNC; undo must not pretend otherwise.
    setUndoRedoEnabled(false);
    frame_.setSingleShot(true);
    connect(&frame_, &QTimer::timeout, this, &TScreenMemo::flushReceived);
    connect(document(), &QTextDocument::contentsChange, this, &TScreenMemo::keepPiecesAfterEdit);
    connect(this, &QPlainTextEdit::selectionChanged, this, &TScreenMemo::noteSelection);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &TScreenMemo::noteSelection);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TScreenMemo::bringBackWhenAtTop);
}

namespace {

// The archived text as the screen reads it: a no-break space as a plain
// one, as the document's own plain-text export gives it.
QString archivedText(const ReceivedArchive& archive)
{
    QString text;
    archive.appendText(text);
    text.replace(QChar::Nbsp, QLatin1Char(' '));
    return text;
}

} // namespace

QString TScreenMemo::toPlainText() const
{
    if (!madePieces_)
        return QPlainTextEdit::toPlainText();
    return archivedText(archive_) + lineTextBetween(*document(), 0, endPosition());
}

QMimeData* TScreenMemo::createMimeDataFromSelection() const
{
    if (!madePieces_)
        return QPlainTextEdit::createMimeDataFromSelection();
    const QTextCursor selection = textCursor();
    QString text = selection.selectionStart() == 0 ? archivedText(archive_) : QString();
    text += lineTextBetween(*document(), selection.selectionStart(), selection.selectionEnd());
    auto* data = new QMimeData;
    data->setText(text);
    return data;
}

void TScreenMemo::keepPiecesAfterEdit(int from, int removed, int added)
{
    dropArchiveWithSelection(from, removed);
    // Line breaks the operator types or pastes end a line for good, even
    // inside a piece, whose mark a new paragraph would otherwise inherit.
    if (receiving_ || ownEdit_ || !madePieces_)
        return;
    ownEdit_ = true;
    const QTextBlock first = document()->findBlock(from);
    for (QTextBlock b = first.next(); b.isValid() && b.position() <= from + added; b = b.next()) {
        QTextCursor c(b);
        markContinuing(c, false);
    }
    ownEdit_ = false;
}

void TScreenMemo::setFontColor(qint32 encoded)
{
    FontColor = encoded;
    showColors();
}

void TScreenMemo::setBackColor(qint32 encoded)
{
    BackColor = encoded;
    showColors();
}

void TScreenMemo::showColors()
{
    // System colours come from the application's palette, so they follow
    // the desktop's theme.
    const QPalette system = QApplication::palette();
    QPalette p = palette();
    p.setColor(QPalette::Text, colorOf(FontColor, system));
    p.setColor(QPalette::Base, colorOf(BackColor, system));
    setPalette(p);
}

int TScreenMemo::endPosition() const
{
    return document()->characterCount() - 1;
}

void TScreenMemo::moveCaretToEnd()
{
    if (receiving_) {
        caretToEndAsked_ = true;
        return;
    }
    QTextCursor c = textCursor();
    c.movePosition(QTextCursor::End);
    setTextCursor(c);
}

void TScreenMemo::keyPressEvent(QKeyEvent* event)
{
    // A key acts on the text as the operator sees it arrive: received bytes
    // still waiting for their frame go in first.
    flushReceived();
    keysDown_.insert(physicalKeyOf(event));
    const Qt::KeyboardModifiers shift = event->modifiers() & StageModifiers;
    const quint16 virtualKey = virtualKeyOf(event->key());
    quint16 key = virtualKey;
    if (OnKeyDown)
        OnKeyDown(key, shift);
    const QByteArray typed = typedCharactersOf(event->key(), shift, event->text());
    for (const char c : typed)
        typeCharacter(c);
    const bool keyKept = key != 0 || virtualKey == 0;
    if (typed.isEmpty() && keyKept && isOwnEditingKey(event->key(), shift) && !deletedAcrossPieces(event)) {
        QPlainTextEdit::keyPressEvent(event);
        // The view follows the caret without telling its scroll bar.
        bringBackWhenAtTop();
    }
    event->accept();
}

bool TScreenMemo::deletedAcrossPieces(const QKeyEvent* event)
{
    // Delete at the end of a piece takes the next character, not the mark.
    QTextCursor caret = textCursor();
    if (event->key() != Qt::Key_Delete || event->modifiers() != Qt::NoModifier || caret.hasSelection() ||
        !caret.atBlockEnd() || !continuesLine(caret.block().next()))
        return false;
    caret.movePosition(QTextCursor::NextCharacter);
    if (caret.atBlockEnd())
        return false;
    caret.movePosition(QTextCursor::NextCharacter);
    deletePreviousCharacter(caret);
    setTextCursor(caret);
    return true;
}

void TScreenMemo::keyReleaseEvent(QKeyEvent* event)
{
    flushReceived();
    event->accept();
    // A held key repeats its press, not its release.
    if (event->isAutoRepeat() || !keysDown_.remove(physicalKeyOf(event)))
        return;
    quint16 key = virtualKeyOf(event->key());
    if (OnKeyUp)
        OnKeyUp(key, event->modifiers() & StageModifiers);
}

void TScreenMemo::focusOutEvent(QFocusEvent* event)
{
    // A key still down when the focus leaves is released elsewhere.
    keysDown_.clear();
    QPlainTextEdit::focusOutEvent(event);
}

void TScreenMemo::inputMethodEvent(QInputMethodEvent* event)
{
    // Composed characters (dead keys, compose sequences) come without a key
    // press of their own; they take the character stage all the same. The
    // memo itself only shows the composition still in progress.
    flushReceived();
    for (const QChar ch : event->commitString())
        if (isPrintableLatin1(ch))
            typeCharacter(char(ch.unicode()));
    QInputMethodEvent composing(event->preeditString(), event->attributes());
    QPlainTextEdit::inputMethodEvent(&composing);
    event->accept();
}

void TScreenMemo::typeCharacter(char c)
{
    if (OnKeyPress)
        OnKeyPress(c);
    if (c != 0)
        applyTypedCharacter(c);
}

void TScreenMemo::applyTypedCharacter(char c)
{
    switch (quint8(c)) {
    case 3: copy(); return;
    case 22: paste(); return;
    case 24: cut(); return;
    case 8: {
        QTextCursor caret = textCursor();
        if (caret.hasSelection())
            caret.removeSelectedText();
        else
            deletePreviousCharacter(caret);
        setTextCursor(caret);
        return;
    }
    case 9: insertPlainText(QStringLiteral("\t")); return;
    case 10:
    case 13: insertPlainText(QStringLiteral("\n")); return;
    default:
        // Other control characters are commands to the TNC, not text.
        if (quint8(c) >= 32)
            insertPlainText(QString(QChar(quint8(c))));
    }
}

void TScreenMemo::insertFromMimeData(const QMimeData* source)
{
    // Pasted text is held as 8-bit like everything else in the screen; a
    // character with no Latin-1 form becomes '?'.
    flushReceived();
    if (source && source->hasText())
        insertPlainText(QString::fromLatin1(source->text().toLatin1()));
}

void TScreenMemo::mousePressEvent(QMouseEvent* event)
{
    flushReceived();
    QPlainTextEdit::mousePressEvent(event);
    pressed_ = true;
    if (OnMouseDown)
        OnMouseDown();
}

void TScreenMemo::mouseReleaseEvent(QMouseEvent* event)
{
    flushReceived();
    QPlainTextEdit::mouseReleaseEvent(event);
    // A click is a press and a release on the same screen.
    if (pressed_ && rect().contains(event->position().toPoint()) && OnClick)
        OnClick();
    pressed_ = false;
}

void TScreenMemo::mouseDoubleClickEvent(QMouseEvent* event)
{
    flushReceived();
    QPlainTextEdit::mouseDoubleClickEvent(event);
}

void TScreenMemo::contextMenuEvent(QContextMenuEvent* event)
{
    // The menu's Copy and Select All work on the text as received.
    flushReceived();
    QPlainTextEdit::contextMenuEvent(event);
}
