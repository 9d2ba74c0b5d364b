#pragma once
// Fields whose text goes to the TNC as one line (a beacon text, a connect
// path, a command). A line break pasted into one would end the line early
// and send the rest as a command of its own that the field never showed, so
// every control character typed or pasted into such a field becomes a space.

#include <QString>

class QLineEdit;

// From now on, what the operator enters into `edit` holds no control
// character. Text the program itself puts there is left as it is.
void keepOnOneLine(QLineEdit* edit);

// `text` with every control character (C0, DEL and C1: a 7-bit line drops
// the eighth bit and makes C1 into C0) replaced by a space.
QString withControlsAsSpaces(QString text);
