#include "single_line_field.h"

#include <QLineEdit>

QString withControlsAsSpaces(QString text)
{
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    return text;
}

void keepOnOneLine(QLineEdit* edit)
{
    // textEdited comes from the operator's typing and pasting only.
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        const QString clean = withControlsAsSpaces(text);
        if (clean == text)
            return;
        const int caret = edit->cursorPosition();
        edit->setText(clean);
        edit->setCursorPosition(caret);
    });
}
