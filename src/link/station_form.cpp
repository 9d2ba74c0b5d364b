#include "station_form.h"

TStationForm::TStationForm(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Connect Station Setup"));
}
