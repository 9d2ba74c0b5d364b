#pragma once
// The status memo under the screens: the serial layer's trace and the
// transfer status texts, each starting on a line of its own.

#include <QByteArray>
#include <QString>

class QPlainTextEdit;

// `text` as it must go in at the end of `memo` to start a line of its own: a
// line break first when the last line holds text; a line break the text
// begins with dropped when the last line is empty already.
QByteArray onItsOwnLine(const QPlainTextEdit* memo, const QByteArray& text);

// Adds one trace line at the end of `memo`, keeping the view at the bottom
// when it was there.
void appendTraceLine(QPlainTextEdit* memo, const QString& line);
