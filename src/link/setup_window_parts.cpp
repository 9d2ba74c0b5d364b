#include "setup_window_parts.h"

#include "app/single_line_field.h"
#include "app/text_slot.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>

void fillRows(QListWidget* list, int count)
{
    fillRows(list, QStringList(count, QString()));
}

void fillRows(QListWidget* list, const QStringList& texts)
{
    const QSignalBlocker quiet(list);
    list->clear();
    list->addItems(texts);
}

QByteArray rowText(const QListWidget* list, int row)
{
    const QListWidgetItem* item = list->item(row);
    return item ? item->text().toLatin1() : QByteArray();
}

void setRowText(QListWidget* list, int row, const QByteArray& text)
{
    if (QListWidgetItem* item = list->item(row))
        item->setText(QString::fromLatin1(text));
}

void selectRow(QListWidget* list, int row)
{
    const QSignalBlocker quiet(list);
    list->setCurrentRow(row);
}

void copyRowsInto(QComboBox* dropDown, const QListWidget* list, int selected)
{
    while (dropDown->count() < list->count())
        dropDown->addItem(QString());
    while (dropDown->count() > list->count())
        dropDown->removeItem(dropDown->count() - 1);
    for (int i = 0; i < list->count(); ++i)
        dropDown->setItemText(i, list->item(i)->text());
    dropDown->setCurrentIndex(selected);
}

void limitToSlot(QLineEdit* edit)
{
    edit->setMaxLength(int(TextSlot::MaxText));
    // Every slot these windows edit goes to the TNC as one line, or names one.
    keepOnOneLine(edit);
}

QByteArray editText(const QLineEdit* edit)
{
    // The box never holds more than a slot takes; cut again in case text was
    // put in without going through its limit.
    return edit->text().toLatin1().left(int(TextSlot::MaxText));
}

void setEditText(QLineEdit* edit, const QByteArray& text)
{
    edit->setText(QString::fromLatin1(text));
}

QListWidget* tableList(QWidget* parent, int rows)
{
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    // The list that has the keyboard says so by its frame; the frame keeps
    // its width either way, so the rows do not move.
    list->setStyleSheet(QStringLiteral("QListWidget { border: 2px solid palette(mid); }"
                                       "QListWidget:focus { border: 2px solid palette(highlight); }"));
    fillRows(list, rows);
    return list;
}

QScrollBar* rowScrollBar(QWidget* parent, int rows)
{
    auto* bar = new QScrollBar(Qt::Vertical, parent);
    bar->setRange(0, rows - 1);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    return bar;
}

void onRowClicked(QListWidget* list, QObject* context, std::function<void()> handler)
{
    QObject::connect(list, &QListWidget::itemClicked, context, [handler](QListWidgetItem*) { handler(); });
    QObject::connect(list, &QListWidget::currentRowChanged, context, [handler](int) { handler(); });
}

void copyRowToEdit(const QListWidget* list, QLineEdit* edit)
{
    setEditText(edit, rowText(list, list->currentRow()));
}

void copyEditToRow(const QLineEdit* edit, QListWidget* list)
{
    setRowText(list, list->currentRow(), editText(edit));
}

void nameByHeading(std::initializer_list<std::pair<QWidget*, const QLabel*>> controls)
{
    for (const auto& [control, heading] : controls)
        control->setAccessibleName(heading->text().simplified());
}

void centreOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void showSetupWindow(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}
