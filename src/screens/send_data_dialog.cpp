#include "send_data_dialog.h"

#include "app/state.h"
#include "app/window_access.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

TSendDataDialog::TSendDataDialog(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("Sending Data"));
    setFixedSize(std::max(342, widthForTitle(this)), 170);
    // The keyboard stays with the screens while a send runs: typing goes on
    // there, and a space typed meanwhile cannot press Cancel.
    setAttribute(Qt::WA_ShowWithoutActivating);

    DataMsg = new QLabel(QStringLiteral("Data Transfer Progress"), this);
    DataMsg->setAlignment(Qt::AlignCenter);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(1, 25);
    ProgressBar1->setValue(1);
    ProgressBar1->setTextVisible(false);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setAutoDefault(false);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 16, 24, 16);
    column->addWidget(DataMsg);
    column->addWidget(ProgressBar1);
    column->addWidget(CancelBtn, 0, Qt::AlignHCenter);

    connect(CancelBtn, &QPushButton::clicked, this, &TSendDataDialog::CancelBtnClick);
}

void TSendDataDialog::CancelBtnClick()
{
    G.SendPermitted = 0;
    hide();
}

void TSendDataDialog::showCentredOn(const QWidget* owner)
{
    // A send that sends nothing does not show the last send's progress.
    ProgressBar1->setValue(ProgressBar1->minimum());
    if (owner)
        move(owner->frameGeometry().center() - QPoint(width() / 2, height() / 2));
    show();
}

void TSendDataDialog::closeEvent(QCloseEvent* event)
{
    CancelBtnClick();
    event->accept();
}
