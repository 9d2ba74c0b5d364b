#include "production_seams.h"

#include "alerts/wave_sound.h"
#include "app/single_line_field.h"
#include "app/termination_signals.h"
#include "app/window_access.h"
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

std::unique_ptr<QInputDialog> textQueryDialog(const QString& caption, const QString& prompt,
                                              const QByteArray& text, int maxLength)
{
    auto dialog = std::make_unique<QInputDialog>(QApplication::activeWindow());
    dialog->setWindowTitle(caption);
    dialog->setLabelText(prompt);
    // Lays the dialog out now, so that its line edit exists.
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setTextValue(QString::fromLatin1(text));
    // The answer goes into a fixed slot: the caller says how much of it is left.
    if (auto* edit = dialog->findChild<QLineEdit*>()) {
        edit->setMaxLength(maxLength);
        edit->setAccessibleName(prompt);
        // Every answer asked for this way is one line for the TNC or names a place.
        keepOnOneLine(edit);
    }
    fitTitle(dialog.get());
    return dialog;
}

void DialogQuery::messageBox(QWidget* owner, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
    execModalBox(box);
}

bool DialogQuery::confirm(QWidget* owner, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::No);
    return execModalBox(box) == QMessageBox::Yes;
}

bool DialogQuery::textQuery(const QString& caption, const QString& prompt, QByteArray& text, int maxLength)
{
    const std::unique_ptr<QInputDialog> dialog = textQueryDialog(caption, prompt, text, maxLength);
    if (execModalBox(*dialog) != QDialog::Accepted)
        return false;
    text = withControlsAsSpaces(dialog->textValue()).toLatin1();
    return true;
}

std::optional<QString> DialogQuery::openFile(const FileDialogOptions& options)
{
    QFileDialog dialog(QApplication::activeWindow(), options.caption, options.fileName, options.filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(options.defaultSuffix);
    if (!options.selectedFilter.isEmpty())
        dialog.selectNameFilter(options.selectedFilter);
    if (execModalBox(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
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
    if (execModalBox(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

bool DialogQuery::chooseFont(FontChoice& choice, const std::function<void(const FontChoice&)>& apply)
{
    FontApplyDialog dialog(choice, apply, QApplication::activeWindow());
    if (execModalBox(dialog) != QDialog::Accepted)
        return false;
    choice = dialog.choice();
    return true;
}

bool DialogQuery::printDialog(QPrinter& printer)
{
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    return execModalBox(dialog) == QDialog::Accepted;
}

ProductionSeams::~ProductionSeams()
{
    // Nothing may reach these objects once they are gone.
    if (seams::current().sound == &sound_) {
        seams::install({});
        installLineSettingsEditor(nullptr);
    }
}

seams::Set ProductionSeams::set()
{
    seams::Set set;
    set.pause = &pause_;
    set.query = &query_;
    set.sound = &sound_;
    set.makeTransport = [] { return std::make_unique<PortTransport>(); };
    return set;
}

void ProductionSeams::install()
{
    seams::install(set());
    installLineSettingsEditor(&lineEditor_);
}
