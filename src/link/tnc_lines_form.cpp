#include "tnc_lines_form.h"

#include "app/window_access.h"
#include "link/setup_window_parts.h"
#include "app/text_slot.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyle>

namespace {

bool isTnc(int n)
{
    return n >= 0 && n < 8;
}

QStringList lineNumbers(int count)
{
    QStringList out;
    for (int i = 1; i <= count; ++i)
        out << QString::number(i);
    return out;
}

// The numbers and the lines show the same whole rows: a row cut at the
// bottom would read as a line number of its own.
void showWholeRows(std::initializer_list<QListWidget*> lists)
{
    constexpr int VisibleRows = 16;
    for (QListWidget* list : lists) {
        list->ensurePolished();
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        const int row =
            list->sizeHintForRow(0) > 0 ? list->sizeHintForRow(0) : list->fontMetrics().height() + 2;
        list->setFixedHeight(VisibleRows * row + 2 * list->frameWidth());
    }
}

} // namespace

TncLinesForm::TncLinesForm(const char* caption, const char* heading, QWidget* parent)
    : QWidget(parent,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowCloseButtonHint)
{
    setWindowTitle(QString::fromLatin1(caption));

    label_ = new QLabel(QStringLiteral("TNC1 ="), this);
    name_ = new QLineEdit(this);
    limitToSlot(name_);
    heading_ = new QLabel(QString::fromLatin1(heading), this);
    numbers_ = tableList(this, 0);
    fillRows(numbers_, lineNumbers(Lines));
    // The numbers only mirror the lines beside them.
    numbers_->setFocusPolicy(Qt::NoFocus);
    numbers_->setAttribute(Qt::WA_TransparentForMouseEvents);
    numbers_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Wide enough for the widest number beside the item's own margins.
    numbers_->ensurePolished();
    const int itemMargins =
        2 * (numbers_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, numbers_) + 1);
    numbers_->setFixedWidth(numbers_->fontMetrics().horizontalAdvance(QStringLiteral("32")) + itemMargins +
                            8 + 2 * numbers_->frameWidth());
    lines_ = tableList(this, Lines);
    lines_->setToolTip(QStringLiteral("Type up to 32 command lines"));
    bar_ = rowScrollBar(this, Lines);
    bar_->setPageStep(0);
    editHeading_ = new QLabel(QStringLiteral("Edit Command String"), this);
    QFont underlined = editHeading_->font();
    underlined.setUnderline(true);
    editHeading_->setFont(underlined);
    edit_ = new QLineEdit(this);
    limitToSlot(edit_);
    update_ = new QPushButton(QStringLiteral("Update Command"), this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label_, 0, 0);
    grid->addWidget(name_, 0, 1, 1, 2);
    grid->addWidget(heading_, 1, 0, 1, 3);
    grid->addWidget(numbers_, 2, 0);
    grid->addWidget(lines_, 2, 1);
    grid->addWidget(bar_, 2, 2);
    grid->addWidget(editHeading_, 3, 0, 1, 3);
    grid->addWidget(edit_, 4, 0, 1, 3);
    grid->addWidget(update_, 5, 0, 1, 3, Qt::AlignHCenter);
    grid->setColumnMinimumWidth(1, 320);
    showWholeRows({numbers_, lines_});
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    nameByHeading({{name_, label_}, {lines_, heading_}, {edit_, editHeading_}, {bar_, heading_}});
    fitTitle(this);
    closeOnEscape(this);
    adjustSize();
    centreOnScreen(this);

    // Keep each number beside its line when the lines are scrolled.
    connect(lines_->verticalScrollBar(), &QScrollBar::valueChanged, numbers_->verticalScrollBar(),
            &QScrollBar::setValue);
}

void TncLinesForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TncLinesForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TncLinesForm::bindAndLoad()
{
    open_ = true;
    const int n = G.SelectedTnc;
    if (!isTnc(n)) {
        // Nothing to edit: the window keeps what it showed and stores nothing.
        tnc_ = -1;
        return;
    }
    tnc_ = n;
    label_->setText(QStringLiteral("TNC%1 =").arg(n + 1));
    setEditText(name_, slotBytes(G.TncNames[n]));
    bar_->setValue(0);
    const CommandSet& set = commandSets()[n];
    for (int i = 0; i < Lines; ++i)
        setRowText(lines_, i, slotBytes(set[i]));
    selectRow(lines_, 0);
    selectRow(numbers_, 0);
    copyRowToEdit(lines_, edit_);
}

void TncLinesForm::storeAndRelease(bool storeName)
{
    if (!open_)
        return;
    open_ = false;
    if (isTnc(tnc_)) {
        if (storeName) {
            storeBytes(G.TncNames[tnc_], editText(name_));
            emit tncNameStored(tnc_);
        }
        CommandSet& set = commandSets()[tnc_];
        for (int i = 0; i < Lines; ++i)
            storeBytes(set[i], rowText(lines_, i));
    }
    tnc_ = -1;
    // Editing a TNC does not change which TNC is selected.
    G.SelectedTnc = G.PreviousTnc;
}

void TncLinesForm::followScrollBar()
{
    selectRow(lines_, bar_->value());
    selectRow(numbers_, bar_->value());
    copyRowToEdit(lines_, edit_);
}

void TncLinesForm::lineClicked()
{
    copyRowToEdit(lines_, edit_);
    selectRow(numbers_, lines_->currentRow());
}

void TncLinesForm::applyEdit()
{
    copyEditToRow(edit_, lines_);
}
