#include "fake_seams.h"

#include <QPrinter>

void ScriptedQuery::messageBox(QWidget* owner, const QString& text, const QString& caption)
{
    boxes << caption + QLatin1Char('|') + text;
    boxOwners << owner;
}

bool ScriptedQuery::confirm(QWidget* owner, const QString& text, const QString& caption)
{
    messageBox(owner, text, caption);
    return !confirmAnswers.isEmpty() && confirmAnswers.takeFirst();
}

bool ScriptedQuery::textQuery(const QString& caption, const QString& prompt, QByteArray& text, int maxLength)
{
    queries << caption + QLatin1Char('|') + prompt + QLatin1Char('|') + QString::fromLatin1(text);
    queryLimits << maxLength;
    if (textAnswers.isEmpty())
        return false;
    const std::optional<QByteArray> answer = textAnswers.takeFirst();
    if (!answer)
        return false;
    text = *answer;
    return true;
}

std::optional<QString> ScriptedQuery::openFile(const FileDialogOptions& options)
{
    queries << QStringLiteral("open|") + options.caption;
    fileDialogs << options;
    return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.takeFirst();
}

std::optional<QString> ScriptedQuery::saveFile(const FileDialogOptions& options)
{
    queries << QStringLiteral("save|") + options.caption;
    fileDialogs << options;
    return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.takeFirst();
}

bool ScriptedQuery::editLineSettings(SerialLineSettings& settings)
{
    queries << QStringLiteral("line settings");
    if (lineAnswers.isEmpty())
        return false;
    const std::optional<SerialLineSettings> answer = lineAnswers.takeFirst();
    if (!answer)
        return false;
    settings = *answer;
    return true;
}

bool ScriptedQuery::chooseFont(FontChoice& choice, const std::function<void(const FontChoice&)>& apply)
{
    queries << QStringLiteral("font|") + choice.font.family();
    fontsOffered << choice;
    if (fontAnswers.isEmpty())
        return false;
    const FontAnswer script = fontAnswers.takeFirst();
    for (const FontChoice& applied : script.applies)
        apply(applied);
    if (script.whileOpen)
        script.whileOpen();
    if (!script.answer)
        return false;
    choice = *script.answer;
    return true;
}

bool ScriptedQuery::printDialog(QPrinter& printer)
{
    queries << QStringLiteral("print|") + printer.docName();
    const std::optional<QString> answer = printAnswers.isEmpty() ? std::nullopt : printAnswers.takeFirst();
    if (!answer)
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(*answer);
    return true;
}
