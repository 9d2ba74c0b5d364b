#pragma once
// The seams as an operator's desktop provides them.

#include "alerts/wave_sound.h"
#include "app/seams.h"
#include "link/comm_config_dialog.h"

#include <memory>

class QInputDialog;

class BlockingPause final : public PauseSeam {
public:
    void pause(int ms) override;
};

// Qt's modal dialogs; the message boxes belong to the active window.
class DialogQuery final : public UserQuery {
public:
    void messageBox(QWidget* owner, const QString& text, const QString& caption) override;
    bool textQuery(const QString& caption, const QString& prompt, QByteArray& text, int maxLength) override;
    std::optional<QString> openFile(const FileDialogOptions& options) override;
    std::optional<QString> saveFile(const FileDialogOptions& options) override;
    bool chooseFont(FontChoice& choice, const std::function<void(const FontChoice&)>& apply) override;
    bool printDialog(QPrinter& printer) override;
    bool confirm(QWidget* owner, const QString& text, const QString& caption) override;
};

// The dialog behind textQuery, built and not yet shown.
std::unique_ptr<QInputDialog> textQueryDialog(const QString& caption, const QString& prompt,
                                              const QByteArray& text, int maxLength);

// The real serial transport, the real dialogs, the real pause and sound.
// Owned by main's scope, after the application object: the sound output must
// be gone before Qt Multimedia's backend is, or closing the program crashes.
class ProductionSeams {
public:
    ProductionSeams() = default;
    ~ProductionSeams();
    ProductionSeams(const ProductionSeams&) = delete;
    ProductionSeams& operator=(const ProductionSeams&) = delete;

    seams::Set set();
    // Installs them and the serial layer's line-settings dialog until this
    // object goes.
    void install();

private:
    BlockingPause pause_;
    DialogQuery query_;
    WaveSound sound_;
    DialogLineSettingsEditor lineEditor_;
};
