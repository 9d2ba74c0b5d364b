#pragma once
// Keyboard accelerators of menus. A Qt caption marks its accelerator with '&'
// before the underlined character and shows "&&" as a single '&'; the text
// the operator reads is the caption without those marks.

#include <QChar>
#include <QString>

class QAction;
class QWidget;

// The caption as shown: "Save &Receive" reads "Save Receive", "A&&B" reads "A&B".
QString visibleCaption(const QString& qtText);
// The accelerator of a caption, in lower case; null when it has none.
QChar acceleratorOf(const QString& qtText);

// Gives every item of a menu bar or menu, and of every menu under it, an
// accelerator that no other item of the same menu has. Items already marked
// keep theirs; the others take the first free letter that begins a word,
// else the first free letter or digit.
void giveAccelerators(QWidget* menuBarOrMenu);
// Sets an item's caption to `visible` as typed (an '&' in it shows as '&')
// and marks a free accelerator among its menu's items, `preferred` if it is
// in the caption and free.
void setItemCaption(QAction* item, const QString& visible, QChar preferred = QChar());
