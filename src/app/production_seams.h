#pragma once
// The seams as an operator's desktop provides them.

#include "app/seams.h"

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

// The real serial transport, the real dialogs, the real pause and sound.
seams::Set productionSeams();
// Installs those and the serial layer's line-settings dialog.
void installProductionSeams();
