#include "key_script.h"

#include <QTest>
#include <QWidget>

#include <utility>

namespace {

struct NamedKey {
    const char* name;
    Qt::Key key;
    const char* text; // what a real keyboard puts into the event
};

constexpr NamedKey Names[] = {
    {"Enter", Qt::Key_Return, "\r"},  {"BS", Qt::Key_Backspace, "\b"}, {"Tab", Qt::Key_Tab, "\t"},
    {"Esc", Qt::Key_Escape, "\x1b"},  {"Space", Qt::Key_Space, " "},   {"F1", Qt::Key_F1, ""},
    {"F2", Qt::Key_F2, ""},           {"F3", Qt::Key_F3, ""},          {"Left", Qt::Key_Left, ""},
    {"Right", Qt::Key_Right, ""},     {"Home", Qt::Key_Home, ""},      {"End", Qt::Key_End, ""},
    {"Del", Qt::Key_Delete, "\x7f"},  {"Ins", Qt::Key_Insert, ""},     {"Ctrl", Qt::Key_Control, ""},
    {"Backtab", Qt::Key_Backtab, ""},
};

std::pair<Qt::Key, QString> keyOf(const QString& token)
{
    if (token.startsWith(QLatin1Char('<')) && token.endsWith(QLatin1Char('>'))) {
        const QString name = token.mid(1, token.size() - 2);
        for (const NamedKey& k : Names)
            if (name == QLatin1String(k.name))
                return {k.key, QString::fromLatin1(k.text)};
        qFatal("unknown key name %s", qPrintable(token));
    }
    if (token.size() != 1)
        qFatal("a key is one character or a <name>: %s", qPrintable(token));
    const QChar ch = token.at(0);
    // Qt names a letter key by its capital; other keys by their character.
    return {Qt::Key(ch.toUpper().unicode()), token};
}

} // namespace

void typeKeys(QWidget* target, const QString& keys)
{
    for (QString token : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const bool releaseOnly = token.size() > 1 && token.startsWith(QLatin1Char('~'));
        if (releaseOnly)
            token.remove(0, 1);
        Qt::KeyboardModifiers modifiers;
        while (token.size() > 1 && QStringLiteral("^+@").contains(token.at(0))) {
            const QChar m = token.at(0);
            modifiers |= m == QLatin1Char('^') ? Qt::ControlModifier
                : m == QLatin1Char('+')        ? Qt::ShiftModifier
                                               : Qt::AltModifier;
            token.remove(0, 1);
        }
        auto [key, text] = keyOf(token);
        if (modifiers & Qt::ControlModifier && key >= Qt::Key_A && key <= Qt::Key_Z)
            text = QChar(key - Qt::Key_A + 1); // as a real keyboard reports Ctrl+letter
        QTest::sendKeyEvent(releaseOnly ? QTest::Release : QTest::Click, target, key, text, modifiers);
    }
}
