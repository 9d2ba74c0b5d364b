#include "port_devices_form.h"

#include "port_devices.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

PortDevicesForm::PortDevicesForm(const QString& programFolder, const QString& devRoot, QWidget* parent)
    : QDialog(parent)
    , folder_(programFolder)
    , devRoot_(devRoot)
{
    setWindowTitle(QStringLiteral("Port Devices"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Stands for now")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Adapter, device path or tcp:// / rfc2217:// URL")), 0, 2);
    for (int i = 0; i < Ports; ++i) {
        const int n = i + 1;
        Now[i] = new QLabel(this);
        Now[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        Choice[i] = new QComboBox(this);
        Choice[i]->setEditable(true);
        Choice[i]->setMinimumContentsLength(36);
        SetBtn[i] = new QPushButton(QStringLiteral("Set"), this);
        ClearBtn[i] = new QPushButton(QStringLiteral("Clear"), this);
        grid->addWidget(new QLabel(QStringLiteral("COM%1").arg(n)), n, 0);
        grid->addWidget(Now[i], n, 1);
        grid->addWidget(Choice[i], n, 2);
        grid->addWidget(SetBtn[i], n, 3);
        grid->addWidget(ClearBtn[i], n, 4);
        connect(SetBtn[i], &QPushButton::clicked, this, [this, i] { change(i + 1, Choice[i]->currentText()); });
        connect(ClearBtn[i], &QPushButton::clicked, this, [this, i] { change(i + 1, QString()); });
    }
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    grid->addWidget(close, Ports + 1, 4);
    refresh();
}

void PortDevicesForm::refresh()
{
    const QStringList adapters = detectedAdapters(devRoot_);
    for (int i = 0; i < Ports; ++i) {
        Now[i]->setText(describePort(folder_, i + 1));
        const QString typed = Choice[i]->currentText();
        Choice[i]->clear();
        Choice[i]->addItems(adapters);
        Choice[i]->setEditText(typed);
    }
}

void PortDevicesForm::change(int n, const QString& choice)
{
    if (mayChange && !mayChange(n))
        return;
    QString error;
    if (!assignPort(folder_, n, choice, &error)) {
        if (refused)
            refused(error);
        return;
    }
    refresh();
    if (changed)
        changed(n);
}
