#pragma once
// Types a written key sequence into a widget as real key events, press and
// release, the way an operator's keyboard delivers them.
//
// Keys are separated by spaces. A key is one character ("H", "é", "5") or a
// name in angle brackets (<Enter> <BS> <Tab> <Esc> <Space> <F1> <F2> <F3>
// <Left> <Right> <Home> <End> <Del> <Ins> <Ctrl> <Backtab>), optionally preceded by
// modifiers: ^ Ctrl, + Shift, @ Alt ("^C" is Ctrl+C, "+<Ins>" Shift+Insert).
// A leading ~ sends the release alone ("~<Enter>": a key pressed elsewhere).

#include <QString>

class QWidget;

void typeKeys(QWidget* target, const QString& keys);
