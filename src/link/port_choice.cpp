// Choosing the serial port of the TNC and editing its line settings. A port
// is tried before the layer commits to it; a device that cannot be opened
// leaves the program on "None".

#include "app/ferrow.h"

#include "app/seams.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "link/nr_log_file.h"
#include "link/network_address.h"
#include "link/nr_semaphore.h"
#include "link/port_devices_form.h"
#include "link/port_names.h"

#include <QAction>
#include <QFile>

QString TFerrow::comPortPath(int portNumber) const
{
    // A port file naming a network port stands for its URL, so the trace and
    // the menu show where the TNC really is.
    const QString path = resolveComPort(QFile::decodeName(slotBytes(G.ProgramFolder)), portNumber);
    const PortTarget target = readPortTarget(path);
    return target.kind == PortTarget::Network ? target.address.url() : path;
}

QAction* TFerrow::portItem(int portNumber) const
{
    QAction* const items[] = {Comm11, Comm21, Comm31, Comm41, Comm51, Comm61};
    return items[portNumber - 1];
}

void TFerrow::ShowPortPaths()
{
    // What COMn stands for here can change while the program runs (a link
    // made in the program folder), so it is looked up as the menu opens.
    for (int n = 1; n <= 6; ++n) {
        QString tip = comPortPath(n);
        if (tip.startsWith(QStringLiteral("tcp://")))
            tip += QStringLiteral(" (raw TCP: the line settings are kept but do not reach the remote port)");
        portItem(n)->setStatusTip(tip);
        portItem(n)->setToolTip(tip);
    }
}

void TFerrow::Comm11Click()
{
    ChoosePort(1);
}
void TFerrow::Comm21Click()
{
    ChoosePort(2);
}
void TFerrow::Comm31Click()
{
    ChoosePort(3);
}
void TFerrow::Comm41Click()
{
    ChoosePort(4);
}
void TFerrow::Comm51Click()
{
    ChoosePort(5);
}
void TFerrow::Comm61Click()
{
    ChoosePort(6);
}

void TFerrow::ChoosePort(int n)
{
    if (portItem(n)->isChecked())
        return;
    SwitchOffPendingOnceBeacon();
    for (int i = 1; i <= 6; ++i)
        portItem(i)->setChecked(i == n);
    None1->setChecked(false);

    static const char* const names[] = {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6"};
    G.CommPortNumber = n;
    for (int i = 0; i < 4; ++i)
        G.CommPortName[i] = names[n - 1][i];
    G.CommPortSelected = n;
    ProbeCommPort(names[n - 1]);

    if (G.PortProbeResult != 0) {
        nrComm1->SetActive(false);
        nrComm1->SetComPort(n - 1);
        nrComm1->SetActive(true);
        if (nrComm1->GetActive()) {
            CTS_Status->SetChecked(true);
            DSR_Status->SetChecked(true);
        } else {
            // The device answered the probe but refused the open (another
            // program took it, or it refused the line settings): the same
            // outcome as a failed probe. The reason is in the trace.
            Query().messageBox(this, QStringLiteral("Failed to open the comms device"),
                               QStringLiteral("Communications I/O Error"));
            G.PortProbeResult = 0;
            None1Click();
        }
    }
    FocusTypingScreen();
}

void TFerrow::ProbeCommPort(const char* name)
{
    const int n = name[3] - '0';
    const QString device = comPortPath(n);
    const ProbeResult probe = nrComm1->transport()->probe(device);
    G.PortProbeHandle = probe.handle;
    if (probe.outcome == ProbeResult::OpenFailed) {
        nrLogFile1->Log(
            QStringLiteral("%1 (%2): cannot open: %3").arg(QLatin1String(name), device, probe.reason));
        Query().messageBox(this, QStringLiteral("Failed to open the comms device"),
                           QStringLiteral("Communications I/O Error"));
        G.PortProbeResult = 0;
    } else {
        G.PortProbeDcb = probe.state;
        G.PortProbeResult = probe.outcome == ProbeResult::Ok ? 1 : 0;
        if (!G.PortProbeResult)
            nrLogFile1->Log(QStringLiteral("%1 (%2): %3").arg(QLatin1String(name), device, probe.reason));
    }
    if (G.PortProbeResult == 0)
        None1Click();
}

void TFerrow::None1Click()
{
    SwitchOffPendingOnceBeacon();
    for (int i = 1; i <= 6; ++i)
        portItem(i)->setChecked(false);
    None1->setChecked(true);
    G.CommPortNumber = NoCommPort;
    setCommPortName(G, "NONE");
    G.CommPortSelected = NoCommPort;
    nrComm1->SetActive(false);
}

void TFerrow::CommsInterfaceSetup1Click()
{
    nrComm1->SetParity(static_cast<quint8>(G.SerialParity));
    nrComm1->SetBaudRate(static_cast<quint32>(G.SerialBaudRate));
    nrComm1->SetStopBits(static_cast<quint8>(G.SerialStopBits));
    nrComm1->SetStreamProtocol(static_cast<quint8>(G.SerialStreamProtocol));
    nrComm1->ConfigDialog();
    G.SerialParity = nrComm1->GetParity();
    G.SerialBaudRate = static_cast<std::int32_t>(nrComm1->GetBaudRate());
    G.SerialStopBits = nrComm1->GetStopBits();
    G.SerialStreamProtocol = nrComm1->GetStreamProtocol();
}

void TFerrow::PortDevices1Click()
{
    if (!PortDevicesWindow) {
        PortDevicesWindow =
            new PortDevicesForm(QFile::decodeName(slotBytes(G.ProgramFolder)), QStringLiteral("/dev"), this);
        PortDevicesWindow->setWindowFlag(Qt::Window);
        PortDevicesWindow->mayChange = [this](int n) { return MayChangePortDevice(n); };
        PortDevicesWindow->refused = [this](const QString& reason) {
            Query().messageBox(PortDevicesWindow, reason, QStringLiteral("Port Devices"));
        };
        PortDevicesWindow->changed = [this](int n) {
            // The port in use goes over to what it now stands for.
            if (G.CommPortNumber == n) {
                None1Click();
                ChoosePort(n);
            }
        };
    }
    PortDevicesWindow->refresh();
    PortDevicesWindow->show();
    PortDevicesWindow->raise();
}

bool TFerrow::MayChangePortDevice(int n)
{
    if (G.CommPortNumber != n || !nrComm1->GetActive())
        return true;
    return Query().confirm(PortDevicesWindow,
                           QStringLiteral("COM%1 is in use. Change what it stands for and open it again?").arg(n),
                           QStringLiteral("Port Devices"));
}
