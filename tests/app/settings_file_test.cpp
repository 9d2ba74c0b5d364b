// The settings file through the real windows: window creation's defaults and the new file that holds
// them, what a load applies, the byte-for-byte round trip, values outside their sets and short files.

#include "app/combo_box.h"
#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/function_form.h"
#include "link/nr_comm.h"
#include "link/station_form.h"
#include "link/tnc_setup_form.h"
#include "settings_sample.h"
#include "transfer/nr_zmodem.h"
#include "file_bytes.h"
#include "window_fixture.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

TextSlot slotOf(const QString& path)
{
    TextSlot t;
    t.store(QFile::encodeName(path).toStdString());
    return t;
}

// `bytes` as the settings file in the fixture's program folder, loaded.
QString load(WindowFixture& f, const QByteArray& bytes)
{
    const QString path = f.home() + QStringLiteral("Quillmar.cfg");
    if (!writeFile(path, bytes))
        qFatal("cannot write %s", qPrintable(path));
    Ferrow->LoadSettings(slotOf(path));
    return path;
}

QByteArray saveAndRead(const QString& path)
{
    Ferrow->SaveSettings(slotOf(path));
    return readFile(path);
}

} // namespace

class SettingsFileTest : public QObject {
    Q_OBJECT
private slots:
    void values_data()
    {
        QTest::addColumn<QVariantList>("actual");
        QTest::addColumn<QString>("expected"); // the values joined by '|', true as 1
        const auto row = [](const char* name, const QVariantList& actual, const char* expected) {
            QTest::newRow(name) << actual << QString::fromLatin1(expected);
        };
        {
            // Window creation: what it sets beyond the settings file.
            WindowFixture f;
            const TnrComm* c = Ferrow->nrComm1;
            row("created: nrComm1 takes the serial settings and stays closed; nothing sent",
                {c->GetParity(), c->GetBaudRate(), c->GetStopBits(), c->GetByteSize(), c->GetStreamProtocol(),
                 c->GetActive(), f.transcript.entries.size()},
                "1|9600|1|7|0|0|0");
            row("created: log closed, transmit screen active, ETX, receive flag, sound idle",
                {G.LogFileState, G.ActiveScreen, G.CommandChar, G.ReceiveFlag, G.SoundState}, "2|1|3|1|2");
            row("created: mode shown, ZModem Break off, check marks: None, TNC, ZEnable, Buffered, White, "
                "Beep",
                {Ferrow->ModeMemo->toPlainText(), Ferrow->ZBreakBtn->isEnabled(), Ferrow->None1->isChecked(),
                 Ferrow->TNC->isChecked(), Ferrow->ZEnable->isChecked(), Ferrow->Buffered->isChecked(),
                 Ferrow->White1->isChecked(), Ferrow->Beep2->isChecked()},
                "Dual Screen|0|1|1|1|1|1|1");
            // A settings path that names no file yet: the load creates it from those defaults (96 dpi).
            const QString path = f.home() + QStringLiteral("Quillmar.cfg");
            Ferrow->LoadSettings(slotOf(path));
            const QByteArray file = readFile(path);
            ProcessState d;
            decodeSettings(std::vector<std::uint8_t>(file.begin(), file.end()), d);
            row("new file: its size, ApplyingSettings cleared", {file.size(), G.ApplyingSettings},
                "313985|0");
            row("new file: port, parity, baud, stop bits, bits, flow control, TNC, port chosen",
                {file.left(4), d.SerialParity, d.SerialBaudRate, d.SerialStopBits, d.SerialByteSize,
                 d.SerialStreamProtocol, d.SelectedTnc, d.CommPortSelected},
                "NONE|1|9600|1|7|0|8|0");
            row("new file: function 1, TNC names, reset command",
                {slotBytes(d.FunctionNames[0]), slotBytes(d.FunctionCommands[0]), slotBytes(d.TncNames[0]),
                 slotBytes(d.TncNames[7]), slotBytes(d.ResetCommand)},
                "F1||TNC1|TNC8|RESTART");
            row("new file: dual screen, buffered, white, beep, ZModem on, no broadcast",
                {d.ScreenMode, d.SendMode, d.ColorScheme, d.AlarmSound, d.ZModemEnabled, d.BroadcastInterval},
                "2|2|1|1|1|3");
            // The design font, 15 pixels (11 points at 96 dpi), regular, in system colour 8 (0xFF000008);
            // black schemes write in white.
            const ScreenFontRecord* fonts[] = {&d.TransmitFontWhite, &d.ReceiveFontWhite,
                                               &d.TransmitFontBlack, &d.ReceiveFontBlack};
            for (int i = 0; i < 4; ++i)
                row(qPrintable(QStringLiteral("new file: font record %1").arg(i)),
                    {slotBytes(fonts[i]->Name), fonts[i]->Height, fonts[i]->Size, fonts[i]->Color,
                     fonts[i]->Style, fonts[i]->Pitch, fonts[i]->Reserved[0], fonts[i]->Reserved[1]},
                    i < 2 ? "MS Sans Serif|-15|11|-16777208|0|0|0|0"
                          : "MS Sans Serif|-15|11|16777215|0|0|0|0");
        }
        WindowFixture f;
        load(f, settingsBytes(distinctiveSettings()));
        const TnrComm* c = Ferrow->nrComm1;
        const TComboBox* selector = Ferrow->TNCSelect;
        row("loaded: line settings to nrComm1, the port opened with them",
            {c->GetParity(), c->GetBaudRate(), c->GetStopBits(), c->GetByteSize(), c->GetStreamProtocol(),
             f.device()->settings == c->lineSettings()},
            "2|19200|2|8|2|1");
        row("loaded: TNC3 chosen in both menus, its window left closed",
            {G.SelectedTnc, Ferrow->TNC3->isChecked(), Ferrow->TNC31->isChecked(), TNC_SetupForm->isOpen()},
            "2|1|1|0");
        row("loaded: station and function rows",
            {QString::fromLatin1(StationForm->stationName(0)), StationForm->stationName(3),
             StationForm->stationPath(31), FunctionForm->functionName(11), FunctionForm->functionCommand(11)},
            "K1\xC6"
            "BC-0||K1ABC VIA WIDE31|Fn 11|MHEARD 11");
        row("loaded: TNC names in the selector (None kept) and both menus, TNC3 selected",
            {selector->itemText(0), selector->itemText(7), selector->itemText(8), selector->currentIndex(),
             caption(Ferrow->TNC8), caption(Ferrow->TNC11)},
            "KPC-1|KPC-8|None|2|KPC-8|KPC-1");
        row("loaded: immediate mode, ZModem off, converse on",
            {Ferrow->Immediate->isChecked(), Ferrow->ZDisable->isChecked(), Ferrow->nrZModem1->GetActive(),
             Ferrow->ConverseOn->isChecked()},
            "1|1|0|1");
        row("loaded: receive directory handed on, connect command, timer",
            {G.ReceiveDirText, Ferrow->nrZModem1->GetDefaultPath(), G.ConnectCommandText,
             G.BroadcastTimerText},
            "/srv/zmodem/in|/srv/zmodem/in|C W1AW|42");
        row("loaded: COM2 opened, nothing sent, ApplyingSettings cleared",
            {G.CommPortNumber, Ferrow->Comm21->isChecked(), f.device()->opens.size(),
             f.transcript.entries.size(), G.ApplyingSettings},
            "2|1|1|0|0");
    }

    void values()
    {
        QFETCH(QVariantList, actual);
        QStringList shown;
        for (const QVariant& v : actual)
            shown << (v.typeId() == QMetaType::Bool ? QString::number(v.toInt()) : v.toString());
        QTEST(shown.join(u'|'), "expected");
    }

    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("expected"); // saved after the load
        QTest::addColumn<int>("opens");           // ports opened by the load
        QTest::addColumn<int>("sends");           // lines the start and close sequences send
        const QByteArray distinctive = settingsBytes(distinctiveSettings());
        QTest::newRow("distinctive values, junk after every terminator")
            << distinctive << distinctive << 1 << 46;
        {
            // The launcher's first start: an empty file gives exactly the file window creation would
            // write, function names "F1".."F12" included.
            WindowFixture f;
            const QString path = f.home() + QStringLiteral("Quillmar.cfg");
            Ferrow->LoadSettings(slotOf(path));
            QTest::newRow("empty file: the default file") << QByteArray() << readFile(path) << 0 << 0;
        }

        ProcessState damaged = distinctiveSettings();
        damaged.TransmitFontWhite.Height = 0;
        damaged.TransmitFontBlack.Height = 100000;
        damaged.ReceiveFontWhite.Size = -5;
        damaged.ReceiveFontWhite.Height = std::numeric_limits<std::int32_t>::min();
        damaged.ReceiveFontBlack.Pitch = 9;
        std::memset(damaged.ReceiveFontBlack.Name.bytes, 'Z', TextSlot::Size);
        QTest::newRow("damaged font records stored back unchanged")
            << settingsBytes(damaged) << settingsBytes(damaged) << 1 << 46;
        // A slot with no zero byte: a variable written back keeps its 256 bytes; a station row holds 255.
        ProcessState open = distinctiveSettings();
        std::memset(open.TncInitCommands[3][5].bytes, 'I', TextSlot::Size);
        std::memset(open.BroadcastText.bytes, 'B', TextSlot::Size);
        std::memset(open.StationPaths[6].bytes, 'P', TextSlot::Size);
        QByteArray cut = settingsBytes(open);
        cut[28 + 6 * 512 + 256 + 255] = 0;
        QTest::newRow("slots with no terminator") << settingsBytes(open) << cut << 1 << 46;

        // Values outside their sets: four line settings reach the serial component as their low 8 bits and
        // come back widened, the byte size without sign; the others are stored back or replaced by the
        // handler they run.
        auto row = [&](const char* name, SettingsField field, qint64 stored, qint64 saved, int opens,
                       int sends) {
            auto with = [&](qint64 value) {
                QByteArray file = distinctive;
                const SettingsFieldLayout& layout = settingsFieldLayout(field);
                for (int i = 0; i < layout.size(); ++i)
                    file[layout.offset + i] = char(quint64(value) >> (8 * i));
                return file;
            };
            QTest::newRow(name) << with(stored) << with(saved) << opens << sends;
        };
        row("parity 0x102 comes back as 2", SettingsField::SerialParity, 0x102, 2, 1, 46);
        row("stop bits -1 come back as 255", SettingsField::SerialStopBits, -1, 255, 1, 46);
        row("byte size 0x1FF comes back as 255", SettingsField::SerialByteSize, 0x1FF, 255, 1, 46);
        row("stream protocol 0x7FFFFF01 comes back as 1", SettingsField::SerialStreamProtocol, 0x7FFFFF01, 1,
            1, 46);
        row("baud rate kept whole", SettingsField::SerialBaudRate, 0x7FFFFFFF, 0x7FFFFFFF, 1, 46);
        row("port 7 opens nothing and is stored again", SettingsField::CommPortSelected, 7, 7, 0, 0);
        row("port -1 likewise", SettingsField::CommPortSelected, -1, -1, 0, 0);
        row("TNC 9 acts as None and is stored as 9", SettingsField::SelectedTnc, 9, 9, 1, 0);
        row("TNC -3 acts as None", SettingsField::SelectedTnc, -3, -3, 1, 0);
        row("TNC 0 is TNC1", SettingsField::SelectedTnc, 0, 0, 1, 46);
        row("ZModem 2 runs ZDisableClick", SettingsField::ZModemEnabled, 2, 0, 1, 46);
        row("converse 7 runs ConverseOffClick", SettingsField::ZModemConverse, 7, 0, 1, 46);
        row("send mode 0 runs BufferedClick", SettingsField::SendMode, 0, 2, 1, 46);
        row("screen mode 0 runs SingleScreenBtnClick", SettingsField::ScreenMode, 0, 1, 1, 46);
        row("colour scheme 0 applies Black", SettingsField::ColorScheme, 0, 2, 1, 46);
    }

    void roundTrip()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, expected);
        QFETCH(int, opens);
        WindowFixture f;
        const QString path = load(f, file);
        QCOMPARE(int(f.device()->opens.size()), opens);
        QCOMPARE(Ferrow->None1->isChecked(), opens == 0);
        Ferrow->SendStartupInitialization();
        Ferrow->SendShutdownTermination();
        QTEST(int(f.transcript.entries.filter(QStringLiteral("SendString")).size()), "sends");
        const QByteArray again = saveAndRead(path);
        QCOMPARE(again.size(), 313985);
        for (int p = 0; p < again.size(); ++p)
            if (again[p] != expected[p])
                QFAIL(qPrintable(QStringLiteral("first difference at byte %1").arg(p)));
    }

    void shortFile_data()
    {
        QTest::addColumn<int>("length");
        for (int n : {0, 16414, 177300, 178040, 313984, 313985})
            QTest::newRow(qPrintable(QStringLiteral("%1 bytes").arg(n))) << n;
    }

    void shortFile()
    {
        // Every apply step still runs, on whatever values the file reached.
        QFETCH(int, length);
        WindowFixture f;
        const QString path = load(f, settingsBytes(distinctiveSettings()).left(length));

        const bool port = length == 313985;
        QCOMPARE(Ferrow->Comm21->isChecked(), port);
        QCOMPARE(commPortNameText(G), port ? QByteArray("COM2") : QByteArray("NONE"));
        QCOMPARE(Ferrow->ZEnable->isChecked(), length <= 178032);
        QCOMPARE(Ferrow->Immediate->isChecked(), length >= 176940);
        QCOMPARE(G.BroadcastTimerText, QByteArray::number(G.BroadcastTimerValue));
        QCOMPARE(G.ReceiveDirText, length >= 178293 ? QByteArray("/srv/zmodem/in") : QByteArray());
        QCOMPARE(G.ApplyingSettings, std::uint8_t(0));
        QCOMPARE(saveAndRead(path).size(), 313985);
    }

    void emptyPathTouchesNoFile()
    {
        WindowFixture f;
        const QByteArray before = settingsBytes(G);
        Ferrow->LoadSettings(TextSlot{});
        Ferrow->SaveSettings(TextSlot{});
        QCOMPARE(settingsBytes(G), before);
        QVERIFY(!QFile::exists(f.home() + QStringLiteral("Quillmar.cfg")));
        // A save that fails says so in the trace; nothing else is shown.
        Ferrow->SaveSettings(slotOf(f.home() + QStringLiteral("no such folder/Quillmar.cfg")));
        QVERIFY(Ferrow->LogScreen->toPlainText().contains(QStringLiteral("settings not saved")));
        QCOMPARE(f.query.boxes, QStringList());
    }
};

QTEST_MAIN(SettingsFileTest)
#include "settings_file_test.moc"
