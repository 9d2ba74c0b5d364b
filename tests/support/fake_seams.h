#pragma once
// Test doubles of the pause, user-query and sound seams.

#include "app/seams.h"
#include "link/line_settings_editor.h"
#include "transcript.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <optional>

// Records "pause N" into the same transcript as the bytes; never waits.
class RecordingPause final : public PauseSeam {
public:
    explicit RecordingPause(Transcript* t)
        : transcript_(t)
    {
    }
    void pause(int ms) override
    {
        transcript_->add(QStringLiteral("pause %1").arg(ms));
        if (onPause)
            onPause(ms);
    }
    // Runs after each recorded pause: a test's stand-in for time passing.
    std::function<void(int ms)> onPause;

private:
    Transcript* transcript_;
};

// One showing of the font dialog: Apply pressed with each of `applies` in
// turn, then `whileOpen` (the dialog still open), then OK with `answer`, or
// Cancel when it is empty.
struct FontAnswer {
    QList<FontChoice> applies;
    std::function<void()> whileOpen;
    std::optional<FontChoice> answer;
};

// Answers from a script; records every box as "caption|text" and every query,
// the serial layer's line settings included.
class ScriptedQuery final : public UserQuery, public LineSettingsEditor {
public:
    void messageBox(QWidget* owner, const QString& text, const QString& caption) override;
    bool textQuery(const QString& caption, const QString& prompt, QByteArray& text, int maxLength) override;
    std::optional<QString> openFile(const FileDialogOptions& options) override;
    std::optional<QString> saveFile(const FileDialogOptions& options) override;
    bool editLineSettings(SerialLineSettings& settings) override;
    bool chooseFont(FontChoice& choice, const std::function<void(const FontChoice&)>& apply) override;
    // Confirms by printing into the scripted PDF file; no answer left cancels.
    bool printDialog(QPrinter& printer) override;
    // Records the question among the boxes; no answer left means No.
    bool confirm(QWidget* owner, const QString& text, const QString& caption) override;

    QStringList boxes;   // "caption|text"
    QStringList queries; // "caption|prompt|initial text"
    QList<QWidget*> boxOwners;
    QList<int> queryLimits; // the longest answer each text query allows
    // Next answers; an empty optional means the operator cancelled. With no
    // scripted answer left, a query is cancelled.
    QList<std::optional<QByteArray>> textAnswers;
    QList<std::optional<QString>> fileAnswers;
    QList<std::optional<SerialLineSettings>> lineAnswers;
    // With no scripted answer left, the font dialog is cancelled.
    QList<FontAnswer> fontAnswers;
    QList<FontChoice> fontsOffered;             // what each font dialog opened with
    QList<std::optional<QString>> printAnswers; // PDF file to print into
    QList<FileDialogOptions> fileDialogs;       // every file dialog, as asked
    QList<bool> confirmAnswers;
};

// Records every call as "sound <call>", in its own list and, when given, in
// the transcript too, so a test sees sounds and pauses in their order.
class FakeSound final : public Sound {
public:
    explicit FakeSound(Transcript* t = nullptr)
        : transcript_(t)
    {
    }
    bool available() override { return hasOutput; }
    void beep() override { record(QStringLiteral("beep")); }
    void bell() override { record(QStringLiteral("bell")); }
    bool open(const QString& path) override
    {
        record(QStringLiteral("open ") + path);
        return openSucceeds;
    }
    void play() override { record(QStringLiteral("play")); }
    void close() override { record(QStringLiteral("close")); }

    QStringList calls;
    bool openSucceeds = true;
    bool hasOutput = true;

private:
    void record(const QString& call)
    {
        calls << call;
        if (transcript_)
            transcript_->add(QStringLiteral("sound ") + call);
    }
    Transcript* transcript_;
};
