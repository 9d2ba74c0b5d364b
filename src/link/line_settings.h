#pragma once
// Line settings as the serial layer keeps them: small ordinals that the
// settings file stores as they are.

#include <QString>
#include <QtSerialPort/QSerialPort>

#include <cstdint>

enum TParity : std::uint8_t { pNone = 0, pEven = 1, pOdd = 2, pMark = 3, pSpace = 4 };
enum TStopBits : std::uint8_t { sbOneAndHalf = 0, sbOne = 1, sbTwo = 2 };
enum TStreamProtocol : std::uint8_t { spNone = 0, spXonXoff = 1, spRtsCts = 2 };
// tuReceive: received bytes go into the terminal control; tuNone holds them.
enum TTerminalUsage : std::uint8_t { tuNone = 0, tuTransmit = 1, tuReceive = 2 };

struct SerialLineSettings {
    std::uint32_t baudRate = 9600;
    std::uint8_t parity = pEven;
    std::uint8_t stopBits = sbOne;
    std::uint8_t byteSize = 7;
    std::uint8_t streamProtocol = spNone;

    bool operator==(const SerialLineSettings&) const = default;
};

// Mapping onto QSerialPort; an ordinal the layer does not know maps to
// nothing, and opening then fails with a clear reason instead of guessing.
bool toQtParity(std::uint8_t ordinal, QSerialPort::Parity* out);
bool toQtStopBits(std::uint8_t ordinal, QSerialPort::StopBits* out);
bool toQtDataBits(std::uint8_t bits, QSerialPort::DataBits* out);
bool toQtFlowControl(std::uint8_t ordinal, QSerialPort::FlowControl* out);

QString parityName(std::uint8_t ordinal);
QString stopBitsName(std::uint8_t ordinal);
QString streamProtocolName(std::uint8_t ordinal);
// "9600 8E1 RTS/CTS" style summary for the trace.
QString describe(const SerialLineSettings& s);
