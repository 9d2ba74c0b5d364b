#include "station_form.h"

#include "app/combo_box.h"
#include "app/ferrow.h"
#include "app/forms.h"
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

QLabel* heading(const char* text, QWidget* parent)
{
    return new QLabel(QString::fromLatin1(text), parent);
}

} // namespace

TStationForm::TStationForm(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Connect Station Setup"));

    StationHeading = heading("Connect Station", this);
    StationList = tableList(this, Entries);
    PathHeading = heading("Connect Path", this);
    ConnectList = tableList(this, Entries);
    StationSelect = rowScrollBar(this, Entries);
    EditHeading = heading("Edit  Station or Path", this);
    Edit_Station_Path = new QLineEdit(this);
    limitToSlot(Edit_Station_Path);
    UpdateHeading = heading("Update", this);
    StationBtn = new QPushButton(QStringLiteral("Station"), this);
    PathBtn = new QPushButton(QStringLiteral("Path"), this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(StationHeading, 0, 0);
    grid->addWidget(PathHeading, 0, 1);
    grid->addWidget(StationList, 1, 0);
    grid->addWidget(ConnectList, 1, 1);
    grid->addWidget(StationSelect, 1, 2);
    grid->addWidget(EditHeading, 2, 0, 1, 2);
    grid->addWidget(Edit_Station_Path, 3, 0, 1, 2);
    grid->addWidget(UpdateHeading, 4, 0, 1, 2, Qt::AlignHCenter);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(StationBtn);
    buttons->addWidget(PathBtn);
    grid->addLayout(buttons, 5, 0, 1, 2);
    grid->setColumnMinimumWidth(0, 160);
    grid->setColumnMinimumWidth(1, 260);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    nameByHeading({{StationList, StationHeading},
                   {ConnectList, PathHeading},
                   {Edit_Station_Path, EditHeading},
                   {StationSelect, StationHeading}});
    fitTitle(this);
    closeOnEscape(this);
    adjustSize();
    centreOnScreen(this);

    connect(StationSelect, &QScrollBar::valueChanged, this, &TStationForm::StationSelectChange);
    onRowClicked(StationList, this, [this] { StationListClick(); });
    onRowClicked(ConnectList, this, [this] { ConnectListClick(); });
    connect(StationBtn, &QPushButton::clicked, this, &TStationForm::StationBtnClick);
    connect(PathBtn, &QPushButton::clicked, this, &TStationForm::PathBtnClick);

    FormCreate();
}

QByteArray TStationForm::stationName(int i) const
{
    return rowText(StationList, i);
}

QByteArray TStationForm::stationPath(int i) const
{
    return rowText(ConnectList, i);
}

void TStationForm::setStation(int i, const QByteArray& name, const QByteArray& path)
{
    selectRow(StationList, i);
    selectRow(ConnectList, i);
    setRowText(StationList, i, name);
    setRowText(ConnectList, i, path);
}

void TStationForm::FormCreate()
{
    // The main window exists before this one: its drop-down gets the 32
    // (still empty) names and no selection until start-up refills it.
    if (Ferrow) {
        copyRowsInto(Ferrow->ConnectList, StationList, -1);
    }
    selectRow(StationList, 0);
    selectRow(ConnectList, 0);
}

void TStationForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TStationForm::FormShow()
{
    StationSelect->setValue(0);
    StationSelectChange();
}

void TStationForm::StationSelectChange()
{
    selectRow(StationList, StationSelect->value());
    selectRow(ConnectList, StationSelect->value());
}

void TStationForm::StationListClick()
{
    copyRowToEdit(StationList, Edit_Station_Path);
}

void TStationForm::ConnectListClick()
{
    copyRowToEdit(ConnectList, Edit_Station_Path);
}

void TStationForm::StationBtnClick()
{
    copyEditToRow(Edit_Station_Path, StationList);
}

void TStationForm::PathBtnClick()
{
    copyEditToRow(Edit_Station_Path, ConnectList);
}
