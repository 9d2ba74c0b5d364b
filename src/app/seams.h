#pragma once
// The four seams that keep hardware, time and modal UI out of the logic.
// main installs the production objects; tests install fakes. The serial
// layer asks for line settings through a seam of its own
// (link/line_settings_editor.h).

#include <QByteArray>
#include <QFont>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QPrinter;
class QWidget;
class SerialTransport;

// A blocking wait of the one UI thread; no event is handled meanwhile.
class PauseSeam {
public:
    virtual ~PauseSeam() = default;
    virtual void pause(int ms) = 0;
};

struct FileDialogOptions {
    QString caption;
    QString filter;        // Qt filter text, "Text Files (*.txt);;All Files (*)"
    QString defaultSuffix; // without the dot
    QString fileName;      // preset name or folder
    // The filter entry chosen when the dialog opens; empty: the first.
    QString selectedFilter;
};

// A font with the text colour the font dialog offers alongside it.
struct FontChoice {
    QFont font;
    qint32 color = 0; // 0x00BBGGRR, or 0xFF000000 plus a system colour index
};

// Every question put to the operator, and every box shown to them.
class UserQuery {
public:
    virtual ~UserQuery() = default;
    // Modal message box with an OK button only.
    virtual void messageBox(QWidget* owner, const QString& text, const QString& caption) = 0;
    // Modal one-line text query; `text` is the 8-bit edit buffer, in and out,
    // at most `maxLength` characters. Returns true when the operator confirmed.
    virtual bool textQuery(const QString& caption, const QString& prompt, QByteArray& text,
                           int maxLength = 255) = 0;
    virtual std::optional<QString> openFile(const FileDialogOptions& options) = 0;
    virtual std::optional<QString> saveFile(const FileDialogOptions& options) = 0;
    // Modal font dialog with an Apply button, opened on `choice`. Each press
    // of Apply hands the dialog's current choice to `apply` while the dialog
    // stays open. On OK `choice` becomes the final one and the result is true.
    virtual bool chooseFont(FontChoice& choice, const std::function<void(const FontChoice&)>& apply) = 0;
    // The standard print dialog on `printer`; true when the operator confirmed.
    virtual bool printDialog(QPrinter& printer) = 0;
    // Modal question with Yes and No; true for Yes.
    virtual bool confirm(QWidget* owner, const QString& text, const QString& caption) = 0;
};

class Sound {
public:
    virtual ~Sound() = default;
    // False when there is no audio output to play through (a headless
    // machine): every alarm then rings the desktop's bell instead.
    virtual bool available() = 0;
    // A short tone through the audio output.
    virtual void beep() = 0;
    // The desktop's own bell, which needs no audio output.
    virtual void bell() = 0;
    // Prepares a wave file; false when it cannot be opened or read.
    virtual bool open(const QString& path) = 0;
    // Starts playing on the audio output and returns at once; the sound goes
    // on while the caller's thread is blocked.
    virtual void play() = 0;
    virtual void close() = 0;
};

using TransportFactory = std::function<std::unique_ptr<SerialTransport>()>;

namespace seams {

struct Set {
    PauseSeam* pause = nullptr;
    UserQuery* query = nullptr;
    Sound* sound = nullptr;
    TransportFactory makeTransport;
};

void install(const Set& set);
const Set& current();

} // namespace seams

// Shorthands the handlers use.
void Pause(int ms);
UserQuery& Query();
Sound& SoundOut();
