// The settings file's layout and codec without any window: where each field
// lies and how its units are written.

#include "settings_sample.h"

#include <QTest>

class SettingsCodecTest : public QObject {
    Q_OBJECT
private slots:
    void layoutMatchesThePublishedOffsets()
    {
        // Where each field starts, in file order, and where the file ends.
        const int offsets[] = {0,      4,      8,      12,     16,     20,     24,     28,     16412,
                               16416,  22560,  24608,  100640, 176672, 176676, 176680, 176936, 176940,
                               176944, 177216, 177488, 177760, 178032, 178033, 178037, 178293, 178549,
                               178805, 178809, 178813, 246397, 313981, 313985};
        QCOMPARE(std::size(offsets), SettingsLayout.size() + 1);
        for (std::size_t i = 0; i < SettingsLayout.size(); ++i) {
            const SettingsFieldLayout& f = SettingsLayout[i];
            QVERIFY2(int(f.field) == int(i) && f.offset == offsets[i] && f.end() == offsets[i + 1], f.name);
        }
        QCOMPARE(encodeSettings(ProcessState{}).size(), std::size_t(313985));
    }

    void unitEncoding_data()
    {
        QTest::addColumn<QByteArray>("actual");
        QTest::addColumn<QByteArray>("expected");
        ProcessState s;
        setCommPortName(s, "COM5");
        s.SerialBaudRate = 9600;
        s.SelectedTnc = -2;
        s.StationPaths[1].store("WIDE2");
        s.FunctionCommands[11].store("MHEARD");
        s.LegacyTermTable[8][32].store("last");
        s.TncInitCommands[7][31].store("MYCALL N0CALL");
        s.ZModemEnabled = 0xA5;
        s.ZModemConverse = 1;
        s.ReceiveFontBlack = {{}, 11, std::int32_t(0xFF000008), 0x0B, 2, {0xDE, 0xAD}, -15};
        s.ReceiveFontBlack.Name.store("DejaVu Sans Mono");
        s.CommPortSelected = 0x01020304;
        const QByteArray file = settingsBytes(s);
        auto row = [&](const char* name, int offset, const QByteArray& expected) {
            QTest::newRow(name) << file.mid(offset, expected.size()) << expected;
        };
        row("port name: 4 characters, no terminator", 0, "COM5");
        row("baud rate 9600 little-endian", 8, QByteArray::fromHex("80250000"));
        row("SelectedTnc -2 two's complement", 24, QByteArray::fromHex("feffffff"));
        row("station 1's path after its name", 28 + 512 + 256, QByteArray("WIDE2\0", 6));
        row("function 11's command ends the functions", 16416 + 11 * 512 + 256, QByteArray("MHEARD\0", 7));
        row("legacy termination set 8, slot 32", 100640 + 8 * 8448 + 32 * 256, QByteArray("last\0", 5));
        row("TNC8 initialization line 32", 178813 + 7 * 8448 + 31 * 256, QByteArray("MYCALL N0CALL\0", 14));
        row("ZModemEnabled: one byte, then ZModemConverse", 178032, QByteArray::fromHex("a501000000"));
        row("font record: name, size, colour, style, pitch, reserved, height", 177760,
            QByteArray("DejaVu Sans Mono").leftJustified(256, 0) +
                QByteArray::fromHex("0b000000 080000ff 0b 02 dead f1ffffff"));
        row("CommPortSelected in the last 4 bytes", 313981, QByteArray::fromHex("04030201"));
    }

    void unitEncoding()
    {
        QFETCH(QByteArray, actual);
        QFETCH(QByteArray, expected);
        QCOMPARE(actual.toHex(' '), expected.toHex(' '));
    }
};

QTEST_APPLESS_MAIN(SettingsCodecTest)
#include "settings_codec_test.moc"
