#pragma once
// What every window of the program owes an operator at the keyboard and at
// the desktop's own font: Escape closes it as its close box does, and it is
// wide enough to show its whole title.

class QWidget;

// Escape anywhere in `window` closes it, running the same close step as
// the close box.
void closeOnEscape(QWidget* window);
// The width a window needs for its title at the desktop's font, with room
// for the title bar's icon and buttons.
int widthForTitle(const QWidget* window);
// Makes `window` at least that wide, whatever lays it out.
void fitTitle(QWidget* window);
