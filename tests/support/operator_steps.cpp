#include "operator_steps.h"

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "broadcast/bc_form.h"
#include "link/nr_comm.h"
#include "link/nr_semaphore.h"
#include "window_fixture.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// A timer's tick, which comes only while the timer is armed.
void tick(QTimer* timer)
{
    if (timer->isActive())
        QMetaObject::invokeMethod(timer, "timeout");
}

bool chooseMenuItem(const QString& step)
{
    return triggerCaptioned({Ferrow->NONE2, Ferrow->Once, Ferrow->Beep2, Ferrow->Ring1, Ferrow->Ringout1},
                            step) ||
        (step.startsWith("Notify ") && triggerCaptioned({Ferrow->OFF1, Ferrow->ON1}, step.mid(7)));
}

} // namespace

void runOperatorStep(WindowFixture& f, const QString& step)
{
    if (chooseMenuItem(step))
        return;
    if (step.startsWith("port")) {
        openFakePort(step == "port" ? 1 : 2);
        // The port lights the lamps itself; received data alone must light them again.
        Ferrow->CTS_Status->SetChecked(false);
        Ferrow->DSR_Status->SetChecked(false);
    } else if (step == "no port")
        Ferrow->None1->trigger();
    else if (step.startsWith("Timer")) {
        f.query.textAnswers << (step == "Timer" ? std::nullopt : std::optional(step.mid(6).toLatin1()));
        Ferrow->Timer1->trigger();
    } else if (step == "BC")
        Ferrow->BroadcastBtn->click();
    else if (step.startsWith("text ") || step == "Accept") {
        Ferrow->Message1->trigger();
        if (step != "Accept")
            BCForm->BroadcastEdit->setText(step.mid(5));
        BCForm->BCAcceptBtn->click();
    } else if (step == "receive" && f.device()->isOpen())
        f.device()->inject("data\r");
    else if (step == "receive") // no port: the serial layer's event alone
        emit Ferrow->nrComm1->OnAfterReceive();
    else if (step == "beacon tick")
        tick(Ferrow->BroadCastTimer);
    else if (step == "alarm tick")
        tick(Ferrow->ReceiveTimer);
    else if (step == "termination line") {
        G.SelectedTnc = 0;
        G.TncTermCommands[0][0].store("MYCALL N0CALL");
    } else if (step == "close")
        Ferrow->close();
    else if (step == "restart")
        f.restart();
    else if (step == "wave files unplayable")
        f.sound.openSucceeds = false;
    else if (step == "damaged interval 7")
        G.BroadcastInterval = 7;
    else
        QFAIL(qPrintable("unknown step " + step));
}
