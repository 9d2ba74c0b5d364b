#include "production_seams.h"

#include "alerts/wave_sound.h"
#include "link/comm_config_dialog.h"
#include "link/port_transport.h"
#include "screens/font_apply_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QThread>

void BlockingPause::pause(int ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

void DialogQuery::messageBox(QWidget* owner, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

bool DialogQuery::confirm(QWidget* owner, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool DialogQuery::textQuery(const QString& caption, const QString& prompt, QByteArray& text, int maxLength)
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(QString::fromLatin1(text));
    // The answer goes into a fixed slot: the caller says how much of it is left.
    if (auto* edit = dialog.findChild<QLineEdit*>())
        edit->setMaxLength(maxLength);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    text = dialog.textValue().toLatin1();
    return true;
}

std::optional<QString> DialogQuery::openFile(const FileDialogOptions& options)
{
    QFileDialog dialog(QApplication::activeWindow(), options.caption, options.fileName, options.filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(options.defaultSuffix);
    if (!options.selectedFilter.isEmpty())
        dialog.selectNameFilter(options.selectedFilter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> DialogQuery::saveFile(const FileDialogOptions& options)
{
    QFileDialog dialog(QApplication::activeWindow(), options.caption, options.fileName, options.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(options.defaultSuffix);
    if (!options.selectedFilter.isEmpty())
        dialog.selectNameFilter(options.selectedFilter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

bool DialogQuery::chooseFont(FontChoice& choice, const std::function<void(const FontChoice&)>& apply)
{
    FontApplyDialog dialog(choice, apply, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choice = dialog.choice();
    return true;
    return true;
}

bool DialogQuery::printDialog(QPrinter& printer)
{
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}

seams::Set productionSeams()
{
    static BlockingPause pause;
    static DialogQuery query;
    static WaveSound sound;
    seams::Set set;
    set.pause = &pause;
    set.query = &query;
    set.sound = &sound;
    set.makeTransport = [] { return std::make_unique<PortTransport>(); };
    return set;
}

void installProductionSeams()
{
    seams::install(productionSeams());
    static DialogLineSettingsEditor lineEditor;
    installLineSettingsEditor(&lineEditor);
}
