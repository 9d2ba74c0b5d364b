#include "file_dialogs.h"

#include <QDir>

FileDialogOptions openDialog1()
{
    FileDialogOptions o;
    o.caption = QStringLiteral("Open");
    // "All Files" matches every name here: "*.*" would hide names without a dot.
    o.filter =
        QStringLiteral("Text Files (*.txt);;Rich Edit Files (*.rtf);;Document Files (*.doc);;All Files (*)");
    o.selectedFilter = QStringLiteral("Rich Edit Files (*.rtf)");
    o.defaultSuffix = QStringLiteral("rtf");
    return o;
}

FileDialogOptions saveDialog1()
{
    FileDialogOptions o;
    o.caption = QStringLiteral("Save As");
    o.filter = QStringLiteral("Rich Edit (*.rtf)");
    o.defaultSuffix = QStringLiteral("rtf");
    return o;
}

void reportFileProblem(QWidget* owner, const QString& doing, const QString& path, const QString& reason)
{
    Query().messageBox(
        owner, QStringLiteral("Could not %1 \"%2\": %3.").arg(doing, QDir::toNativeSeparators(path), reason),
        QStringLiteral("Quillmar"));
}
