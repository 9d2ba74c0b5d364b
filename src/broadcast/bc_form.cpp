#include "bc_form.h"

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/seams.h"
#include "app/single_line_field.h"
#include "app/state.h"
#include "app/window_access.h"
#include "broadcast/beacon_commands.h"
#include "link/nr_comm.h"
#include "link/setup_window_parts.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TBCForm::TBCForm(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Broadcast Message"));

    MainMenu1 = new QMenuBar(this);
    File1 = MainMenu1->addMenu(QStringLiteral("&File"));
    Exit1 = File1->addAction(QStringLiteral("&Exit"));
    BroadcastEdit = new QLineEdit(this);
    // Longer text would not fit the BTEXT command.
    BroadcastEdit->setMaxLength(MaxBeaconText);
    keepOnOneLine(BroadcastEdit);
    BroadcastEdit->setMinimumWidth(420);
    BroadcastEdit->setAccessibleName(QStringLiteral("Broadcast Message"));
    BCAcceptBtn = new QPushButton(QStringLiteral("Accept"), this);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);

    auto* column = new QVBoxLayout(this);
    column->setMenuBar(MainMenu1);
    column->addWidget(BroadcastEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BCAcceptBtn);
    buttons->addWidget(CancelBtn);
    buttons->addStretch(1);
    column->addLayout(buttons);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    fitTitle(this);
    closeOnEscape(this);
    adjustSize();
    centreOnScreen(this);

    connect(Exit1, &QAction::triggered, this, &TBCForm::Exit1Click);
    connect(BCAcceptBtn, &QPushButton::clicked, this, &TBCForm::BCAcceptBtnClick);
    // Enter in the text is Accept.
    connect(BroadcastEdit, &QLineEdit::returnPressed, this, &TBCForm::BCAcceptBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TBCForm::CancelBtnClick);
}

void TBCForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TBCForm::FormShow()
{
    BroadcastEdit->clear();
    setEditText(BroadcastEdit, slotBytes(G.BroadcastText));
    BroadcastEdit->setFocus();
}

void TBCForm::BCAcceptBtnClick()
{
    if (G.CommPortNumber == NoCommPort) {
        Query().messageBox(Ferrow, QStringLiteral("No TNC has been selected, data not saved"),
                           QStringLiteral("Comms Error"));
    } else {
        const QByteArray text = editText(BroadcastEdit).left(MaxBeaconText);
        storeBytes(G.BroadcastText, text);
        Ferrow->nrComm1->SendString(beaconTextCommand(text));
        Pause(250);
        Ferrow->nrComm1->SendChar(13);
    }
    hide();
}

void TBCForm::Exit1Click()
{
    BCAcceptBtnClick();
}

void TBCForm::CancelBtnClick()
{
    hide();
}
