#pragma once
// The main window's file dialogs, as the File menu uses them.

#include "app/seams.h"

// OpenDialog1: text, rich-edit, document or all files; rich-edit preselected.
FileDialogOptions openDialog1();
// SaveDialog1: rich-edit files, ".rtf" added to a name without extension.
FileDialogOptions saveDialog1();

// A message box naming the file and what went wrong, owned by `owner`.
void reportFileProblem(QWidget* owner, const QString& doing, const QString& path, const QString& reason);
