#include "function_form.h"

#include "app/window_access.h"
#include "link/setup_window_parts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>

namespace {

QStringList labels(const char* prefix, int count)
{
    QStringList out;
    for (int i = 1; i <= count; ++i)
        out << QString::fromLatin1(prefix) + QString::number(i);
    return out;
}

// Tall enough to show every row, so the three lists stay side by side.
void showAllRows(QListWidget* list)
{
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int row = list->sizeHintForRow(0) > 0 ? list->sizeHintForRow(0) : list->fontMetrics().height() + 2;
    list->setFixedHeight(row * list->count() + 2 * list->frameWidth() + 4);
}

} // namespace

TFunctionForm::TFunctionForm(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Function Commands"));

    LabelsHeading = new QLabel(QStringLiteral("Fx"), this);
    FunctionList = tableList(this, 0);
    fillRows(FunctionList, labels("F", Entries));
    FunctionList->setFocusPolicy(Qt::NoFocus);
    FunctionList->setSelectionMode(QAbstractItemView::NoSelection);
    NameHeading = new QLabel(QStringLiteral("Function Name"), this);
    FunctionName = tableList(this, 0);
    fillRows(FunctionName, labels("F", Entries));
    StringHeading = new QLabel(QStringLiteral("Function Command String"), this);
    FunctionString = tableList(this, Entries);
    FunctionSelect = rowScrollBar(this, Entries);
    EditHeading = new QLabel(QStringLiteral("Edit Function Name or Command String"), this);
    EditFunctionCommand = new QLineEdit(this);
    limitToSlot(EditFunctionCommand);
    UpdateHeading = new QLabel(QStringLiteral("________Update_______"), this);
    FunctionNameBtn = new QPushButton(QStringLiteral("Name"), this);
    FunctionCmdEditBtn = new QPushButton(QStringLiteral("Command"), this);
    for (QListWidget* list : {FunctionList, FunctionName, FunctionString})
        showAllRows(list);
    FunctionList->setFixedWidth(44);
    FunctionName->setFixedWidth(160);
    FunctionString->setFixedWidth(300);

    auto* grid = new QGridLayout(this);
    grid->addWidget(LabelsHeading, 0, 0);
    grid->addWidget(NameHeading, 0, 1);
    grid->addWidget(StringHeading, 0, 2);
    grid->addWidget(FunctionList, 1, 0);
    grid->addWidget(FunctionName, 1, 1);
    grid->addWidget(FunctionString, 1, 2);
    grid->addWidget(FunctionSelect, 1, 3);
    grid->addWidget(EditHeading, 2, 0, 1, 3);
    grid->addWidget(EditFunctionCommand, 3, 0, 1, 3);
    grid->addWidget(UpdateHeading, 4, 0, 1, 3, Qt::AlignHCenter);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(FunctionNameBtn);
    buttons->addWidget(FunctionCmdEditBtn);
    grid->addLayout(buttons, 5, 0, 1, 3);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    nameByHeading({{FunctionName, NameHeading},
                   {FunctionString, StringHeading},
                   {EditFunctionCommand, EditHeading},
                   {FunctionSelect, StringHeading}});
    fitTitle(this);
    closeOnEscape(this);
    adjustSize();
    centreOnScreen(this);

    connect(FunctionSelect, &QScrollBar::valueChanged, this, &TFunctionForm::FunctionSelectChange);
    onRowClicked(FunctionName, this, [this] { FunctionNameClick(); });
    onRowClicked(FunctionString, this, [this] { FunctionStringClick(); });
    connect(FunctionNameBtn, &QPushButton::clicked, this, &TFunctionForm::FunctionNameBtnClick);
    connect(FunctionCmdEditBtn, &QPushButton::clicked, this, &TFunctionForm::FunctionCmdEditBtnClick);

    selectRow(FunctionName, 0);
    selectRow(FunctionString, 0);
}

QByteArray TFunctionForm::functionName(int i) const
{
    return rowText(FunctionName, i);
}

QByteArray TFunctionForm::functionCommand(int i) const
{
    return rowText(FunctionString, i);
}

void TFunctionForm::setFunction(int i, const QByteArray& name, const QByteArray& command)
{
    selectRow(FunctionName, i);
    selectRow(FunctionString, i);
    setRowText(FunctionName, i, name);
    setRowText(FunctionString, i, command);
}

void TFunctionForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFunctionForm::FormShow()
{
    FunctionSelect->setValue(0);
    FunctionSelectChange();
}

void TFunctionForm::FunctionSelectChange()
{
    selectRow(FunctionName, FunctionSelect->value());
    selectRow(FunctionString, FunctionSelect->value());
}

void TFunctionForm::FunctionNameClick()
{
    copyRowToEdit(FunctionName, EditFunctionCommand);
}

void TFunctionForm::FunctionStringClick()
{
    copyRowToEdit(FunctionString, EditFunctionCommand);
}

void TFunctionForm::FunctionNameBtnClick()
{
    copyEditToRow(EditFunctionCommand, FunctionName);
}

void TFunctionForm::FunctionCmdEditBtnClick()
{
    copyEditToRow(EditFunctionCommand, FunctionString);
}
