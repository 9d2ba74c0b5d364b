#include "line_settings.h"

bool toQtParity(std::uint8_t ordinal, QSerialPort::Parity* out)
{
    switch (ordinal) {
    case pNone: *out = QSerialPort::NoParity; return true;
    case pEven: *out = QSerialPort::EvenParity; return true;
    case pOdd: *out = QSerialPort::OddParity; return true;
    case pMark: *out = QSerialPort::MarkParity; return true;
    case pSpace: *out = QSerialPort::SpaceParity; return true;
    }
    return false;
}

bool toQtStopBits(std::uint8_t ordinal, QSerialPort::StopBits* out)
{
    switch (ordinal) {
    case sbOneAndHalf: *out = QSerialPort::OneAndHalfStop; return true;
    case sbOne: *out = QSerialPort::OneStop; return true;
    case sbTwo: *out = QSerialPort::TwoStop; return true;
    }
    return false;
}

bool toQtDataBits(std::uint8_t bits, QSerialPort::DataBits* out)
{
    if (bits < 5 || bits > 8)
        return false;
    *out = static_cast<QSerialPort::DataBits>(bits);
    return true;
}

bool toQtFlowControl(std::uint8_t ordinal, QSerialPort::FlowControl* out)
{
    switch (ordinal) {
    case spNone: *out = QSerialPort::NoFlowControl; return true;
    case spXonXoff: *out = QSerialPort::SoftwareControl; return true;
    case spRtsCts: *out = QSerialPort::HardwareControl; return true;
    }
    return false;
}

QString parityName(std::uint8_t ordinal)
{
    static const char* const names[] = {"None", "Even", "Odd", "Mark", "Space"};
    return ordinal < 5 ? QString::fromLatin1(names[ordinal]) : QStringLiteral("?%1").arg(ordinal);
}

QString stopBitsName(std::uint8_t ordinal)
{
    static const char* const names[] = {"1.5", "1", "2"};
    return ordinal < 3 ? QString::fromLatin1(names[ordinal]) : QStringLiteral("?%1").arg(ordinal);
}

QString streamProtocolName(std::uint8_t ordinal)
{
    static const char* const names[] = {"None", "XON/XOFF", "RTS/CTS"};
    return ordinal < 3 ? QString::fromLatin1(names[ordinal]) : QStringLiteral("?%1").arg(ordinal);
}

QString describe(const SerialLineSettings& s)
{
    return QStringLiteral("%1 baud, %2 data bits, parity %3, %4 stop bits, flow control %5")
        .arg(s.baudRate)
        .arg(s.byteSize)
        .arg(parityName(s.parity), stopBitsName(s.stopBits), streamProtocolName(s.streamProtocol));
}
