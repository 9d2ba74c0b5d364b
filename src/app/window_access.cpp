#include "window_access.h"

#include <QApplication>
#include <QBoxLayout>
#include <QGridLayout>
#include <QShortcut>
#include <QWidget>

namespace {
// The title bar's icon, its three buttons and its margins.
constexpr int TitleBarExtra = 128;
} // namespace

void closeOnEscape(QWidget* window)
{
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
}

int widthForTitle(const QWidget* window)
{
    return QFontMetrics(QApplication::font()).horizontalAdvance(window->windowTitle()) + TitleBarExtra;
}

void fitTitle(QWidget* window)
{
    const int width = widthForTitle(window);
    QLayout* layout = window->layout();
    if (!layout || layout->sizeConstraint() != QLayout::SetFixedSize) {
        window->setMinimumWidth(width);
        return;
    }
    // A window sized by its layout: a strut as wide as the title goes in.
    const QMargins margins = layout->contentsMargins();
    const int inner = width - margins.left() - margins.right();
    if (auto* grid = qobject_cast<QGridLayout*>(layout))
        grid->addItem(new QSpacerItem(inner, 0, QSizePolicy::Fixed, QSizePolicy::Fixed), grid->rowCount(), 0,
                      1, grid->columnCount());
    else if (auto* box = qobject_cast<QBoxLayout*>(layout); box &&
             (box->direction() == QBoxLayout::TopToBottom || box->direction() == QBoxLayout::BottomToTop))
        box->addStrut(inner); // across a column: its least width
    else
        window->setMinimumWidth(width);
    layout->activate();
}
