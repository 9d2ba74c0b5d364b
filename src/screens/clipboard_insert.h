#pragma once
// Short texts that the program puts into a screen "through the clipboard":
// the scratch memo is filled, selected and copied, so the clipboard holds the
// text afterwards as operators expect; the text itself is then inserted
// directly, so a clipboard owned by another program (or refused by the
// desktop) can never lose a marker, a prompt or a status line.

#include <QByteArray>

class QPlainTextEdit;

// Inserts 8-bit `text` at `target`'s caret (replacing its selection); CR and
// CR LF break the line.
void insertThroughClipboard(QPlainTextEdit* scratch, QPlainTextEdit* target, const QByteArray& text);

// Empties the system clipboard.
void emptyClipboard();
