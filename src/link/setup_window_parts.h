#pragma once
// What the setup windows of the station, function and TNC tables share: list
// rows of 8-bit text, selections made by the program that raise no click,
// edit boxes sized to a text slot, and placement on the desktop.

#include <QByteArray>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <utility>

class QComboBox;
class QLabel;
class QLineEdit;
class QObject;
class QListWidget;
class QScrollBar;
class QWidget;

// Fills `list` with `count` rows, all empty, or with the given texts.
void fillRows(QListWidget* list, int count);
void fillRows(QListWidget* list, const QStringList& texts);

// Row `row` as 8-bit text; empty for a row that does not exist.
QByteArray rowText(const QListWidget* list, int row);
// Replaces the text of an existing row; the selection stays where it is.
void setRowText(QListWidget* list, int row, const QByteArray& text);
// Selects a row the way the program does it: no click event is raised.
void selectRow(QListWidget* list, int row);

// Gives `dropDown` exactly the rows of `list`, row by row, without moving
// any selection of `list`, and selects `selected` in it afterwards.
void copyRowsInto(QComboBox* dropDown, const QListWidget* list, int selected);

// An edit box whose text goes into a 256-byte slot takes at most 255 characters.
void limitToSlot(QLineEdit* edit);
QByteArray editText(const QLineEdit* edit);
void setEditText(QLineEdit* edit, const QByteArray& text);

// The parts of a setup window shared by the tables: a list of `rows` empty
// rows, a vertical scroll bar that steps through them one by one.
QListWidget* tableList(QWidget* parent, int rows);
QScrollBar* rowScrollBar(QWidget* parent, int rows);

// Runs `handler` when the operator picks a row of `list`, by mouse or keyboard
// (a click on the row already selected counts too).
void onRowClicked(QListWidget* list, QObject* context, std::function<void()> handler);

// Edit box := the selected row of `list`.
void copyRowToEdit(const QListWidget* list, QLineEdit* edit);
// The selected row of `list` := the edit box; nothing when no row is selected.
void copyEditToRow(const QLineEdit* edit, QListWidget* list);

// Each control is named for screen readers by the heading above it.
void nameByHeading(std::initializer_list<std::pair<QWidget*, const QLabel*>> controls);

// Puts a window in the middle of the desktop it is on.
void centreOnScreen(QWidget* window);
// Shows a setup window without modality, in front.
void showSetupWindow(QWidget* window);
