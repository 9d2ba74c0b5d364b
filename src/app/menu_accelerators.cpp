#include "menu_accelerators.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSet>

namespace {

// The caption with '&' before the character at `at` of the visible text
// (none for a negative `at`) and every shown '&' doubled.
QString markedCaption(const QString& visible, int at)
{
    QString out;
    for (int i = 0; i < visible.size(); ++i) {
        if (i == at)
            out += QLatin1Char('&');
        out += visible[i];
        if (visible[i] == QLatin1Char('&'))
            out += QLatin1Char('&');
    }
    return out;
}

bool startsWord(const QString& text, int i)
{
    return i == 0 || !text[i - 1].isLetterOrNumber();
}

// Where in `visible` the accelerator goes: the preferred character, a word's
// first letter, any letter or digit; -1 when every one is taken.
int acceleratorPosition(const QString& visible, const QSet<QChar>& taken, QChar preferred)
{
    const auto isFree = [&](int i) {
        return visible[i].isLetterOrNumber() && !taken.contains(visible[i].toLower());
    };
    if (!preferred.isNull())
        for (int i = 0; i < visible.size(); ++i)
            if (visible[i].toLower() == preferred.toLower() && isFree(i))
                return i;
    for (int i = 0; i < visible.size(); ++i)
        if (visible[i].isLetter() && startsWord(visible, i) && isFree(i))
            return i;
    for (int i = 0; i < visible.size(); ++i)
        if (isFree(i))
            return i;
    return -1;
}

QSet<QChar> acceleratorsBesides(const QList<QAction*>& items, const QAction* except)
{
    QSet<QChar> taken;
    for (const QAction* a : items)
        if (a != except && !acceleratorOf(a->text()).isNull())
            taken.insert(acceleratorOf(a->text()));
    return taken;
}

void markFree(QAction* item, const QList<QAction*>& siblings, QChar preferred)
{
    const QString visible = visibleCaption(item->text());
    const int at = acceleratorPosition(visible, acceleratorsBesides(siblings, item), preferred);
    item->setText(markedCaption(visible, at));
}

} // namespace

QString visibleCaption(const QString& qtText)
{
    QString out;
    for (int i = 0; i < qtText.size(); ++i) {
        if (qtText[i] == QLatin1Char('&') && i + 1 < qtText.size())
            ++i;
        out += qtText[i];
    }
    return out;
}

QChar acceleratorOf(const QString& qtText)
{
    for (int i = 0; i + 1 < qtText.size(); ++i) {
        if (qtText[i] != QLatin1Char('&'))
            continue;
        if (qtText[i + 1] != QLatin1Char('&'))
            return qtText[i + 1].toLower();
        ++i;
    }
    return QChar();
}

void giveAccelerators(QWidget* menuBarOrMenu)
{
    const QList<QAction*> items = menuBarOrMenu->actions();
    for (QAction* a : items) {
        if (!a->isSeparator() && acceleratorOf(a->text()).isNull())
            markFree(a, items, QChar());
        if (QMenu* sub = a->menu())
            giveAccelerators(sub);
    }
}

void setItemCaption(QAction* item, const QString& visible, QChar preferred)
{
    item->setText(markedCaption(visible, -1));
    for (QObject* owner : item->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(owner))
            markFree(item, menu->actions(), preferred);
}
