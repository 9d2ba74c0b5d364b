// The main window's screen stack and looks: the layout on showing and on a
// resize, the splitter drag, the two screen modes, the two colour schemes,
// the font commands with their dialog and the four font records.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "screens/font_record.h"
#include "screens/screen_memo.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>

#include <cstring>

namespace {

QFont pixelFont(const char* family, int pixels, bool bold = false)
{
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

bool sameBytes(const ScreenFontRecord& a, const ScreenFontRecord& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

ScreenFontRecord* recordNamed(const QString& name)
{
    if (name == "ReceiveFontWhite")
        return &G.ReceiveFontWhite;
    if (name == "ReceiveFontBlack")
        return &G.ReceiveFontBlack;
    return name == "TransmitFontWhite" ? &G.TransmitFontWhite : &G.TransmitFontBlack;
}

const QStringList RecordNames{"ReceiveFontWhite", "ReceiveFontBlack", "TransmitFontWhite",
                              "TransmitFontBlack"};

} // namespace

class AppearanceTest : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void modes_data();
    void modes();
    void schemes_data();
    void schemes();
    void fontCommands_data();
    void fontCommands();
    void fontDialogKeepsItsFont();
    void fontRecords_data();
    void fontRecords();
};

void AppearanceTest::layout_data()
{
    QTest::addColumn<QString>(
        "drag"); // "" none; "up N" / "down N" move events; "real" mouse press and release
    QTest::addColumn<bool>("mouseDown");
    QTest::addColumn<int>("splitterAfterDrop");
    QTest::addColumn<int>("receiveAfterDrop");
    QTest::addColumn<int>("splitterAfterResize");

    QTest::newRow("up ten pixels to 200: 127, then 194 on the next layout")
        << "up 10" << true << 200 << 127 << 194;
    QTest::newRow("moves without mouse-down do nothing; the mouse-up still counts")
        << "up 10" << false << 210 << 137 << 204;
    QTest::newRow("down far past the status band: held at three lines")
        << "down 400" << true << -1 << -1 << -1;
    QTest::newRow("up far over the control bands: held at three lines") << "up 400" << true << -1 << -1 << -1;
    QTest::newRow("a real mouse press and release") << "real" << true << 210 << 137 << 204;
}

void AppearanceTest::layout()
{
    QFETCH(QString, drag);
    QFETCH(bool, mouseDown);
    QFETCH(int, splitterAfterDrop);
    QFETCH(int, receiveAfterDrop);
    QFETCH(int, splitterAfterResize);
    WindowFixture f;
    f.show();
    TFerrow* w = Ferrow;
    // The first showing lays out the design stack.
    QCOMPARE(G.ScreenAreaHeight, 253.0f);
    QCOMPARE(w->SplitterPanel->y(), 210);
    QCOMPARE(w->ReceiveScreen->geometry(), QRect(0, 67, 622, 143));
    QCOMPARE(w->TransmitScreen->geometry(), QRect(0, 213, 622, 143));

    const QStringList how = drag.split(QLatin1Char(' '));
    G.ActiveScreen = 0;
    if (how[0] == "real") {
        QTest::mousePress(w->SplitterPanel, Qt::LeftButton, {}, QPoint(20, 1));
        QCOMPARE(int(G.SplitDragging), 1);
        QTest::mouseRelease(w->SplitterPanel, Qt::LeftButton, {}, QPoint(20, 1));
    } else {
        if (mouseDown)
            w->SplitterPanelMouseDown(1);
        for (int i = 0; i < how[1].toInt(); ++i)
            w->SplitterPanelMouseMove(how[0] == "up" ? -500 : 500);
        QCOMPARE(w->ReceiveScreen->height(), 143); // not resized during the drag
        w->SplitterPanelMouseUp();
    }
    QCOMPARE(int(G.SplitDragging), 0);
    QCOMPARE(G.ActiveScreen, 1); // the typing screen has the keyboard again
    QCOMPARE(w->ReceiveScreen->y(), 67);
    const int lines = 3 * w->ReceiveScreen->fontMetrics().lineSpacing();
    if (splitterAfterDrop < 0) { // held by a bound
        QVERIFY(w->ReceiveScreen->height() >= lines && w->TransmitScreen->height() >= lines);
        QVERIFY(w->ReceiveScreen->height() < 143 || w->TransmitScreen->height() < 143);
    } else {
        QCOMPARE(w->SplitterPanel->y(), splitterAfterDrop);
        QCOMPARE(w->ReceiveScreen->height(), receiveAfterDrop);
    }
    QCOMPARE(w->TransmitScreen->y(), w->SplitterPanel->y() + 3);
    QCOMPARE(w->TransmitScreen->y() + w->TransmitScreen->height(), 356);
    QCOMPARE(G.SplitRatio, float(w->ReceiveScreen->height()) / 253.0f);

    w->FormResize();
    if (splitterAfterResize >= 0)
        QCOMPARE(w->SplitterPanel->y(), splitterAfterResize);

    // Maximized: every band as wide as the window, the status band at the
    // bottom, the splitter where the ratio puts it.
    const float ratio = G.SplitRatio;
    w->resize(1000, 800);
    QTRY_COMPARE(w->centralWidget()->width(), 1000);
    const int clientHeight = w->centralWidget()->height();
    QCOMPARE(w->StatusPanel->y(), clientHeight - 68);
    QCOMPARE(G.ScreenAreaHeight, float(clientHeight - 68 - 103));
    QCOMPARE(w->SplitterPanel->y(), int(double(G.ScreenAreaHeight) * double(ratio)) + 67);
    for (QWidget* band : {w->ControlPanel, w->ControlPanel2, w->SplitterPanel, w->StatusPanel,
                          static_cast<QWidget*>(w->ReceiveScreen), static_cast<QWidget*>(w->TransmitScreen)})
        QCOMPARE(band->width(), 1000);
    QCOMPARE(w->TransmitScreen->y() + w->TransmitScreen->height(), w->StatusPanel->y());
}

void AppearanceTest::modes_data()
{
    QTest::addColumn<QStringList>("choices"); // menu items, in order
    QTest::addColumn<bool>("single");

    QTest::newRow("Single Screen: the receive screen types") << QStringList{"Single Screen"} << true;
    QTest::newRow("Dual Screen: the transmit screen types") << QStringList{"Dual Screen"} << false;
    QTest::newRow("Single, then Dual again") << QStringList{"Single Screen", "Dual Screen"} << false;
}

void AppearanceTest::modes()
{
    QFETCH(QStringList, choices);
    QFETCH(bool, single);
    WindowFixture f;
    f.show();
    TFerrow* w = Ferrow;
    for (TScreenMemo* s : {w->ReceiveScreen, w->TransmitScreen}) {
        s->setPlainText(QStringLiteral("some text"));
        s->setTextCursor(QTextCursor(s->document()));
        s->setReadOnly(true);
    }
    w->nrComm1->SetTerminalUsage(tuNone);

    for (const QString& choice : choices)
        (choice == "Single Screen" ? w->SingleScreenBtn : w->DualScreenBtn)->trigger();

    TScreenMemo* typing = single ? w->ReceiveScreen : w->TransmitScreen;
    QCOMPARE(G.ScreenMode, single ? 1 : 2);
    QCOMPARE(w->ModeMemo->toPlainText(),
             single ? QStringLiteral("Single Screen") : QStringLiteral("Dual Screen"));
    QCOMPARE(w->SingleScreenBtn->isChecked(), single);
    QCOMPARE(w->DualScreenBtn->isChecked(), !single);
    QCOMPARE(G.ActiveScreen, single ? 0 : 1);
    QVERIFY(!typing->isReadOnly());
    QVERIFY(typing->textCursor().atEnd());
    QTRY_VERIFY(typing->hasFocus());
    QCOMPARE(w->nrComm1->GetTerminalUsage(), int(tuReceive));
    QVERIFY(w->ReceiveScreen->isVisible() && w->TransmitScreen->isVisible());
}

void AppearanceTest::schemes_data()
{
    QTest::addColumn<QStringList>("choices");
    QTest::addColumn<bool>("black");

    QTest::newRow("Black") << QStringList{"Black"} << true;
    QTest::newRow("White after Black") << QStringList{"Black", "White"} << false;
}

void AppearanceTest::schemes()
{
    QFETCH(QStringList, choices);
    QFETCH(bool, black);
    WindowFixture f;
    f.show();
    TFerrow* w = Ferrow;
    G.ReceiveFontWhite.Color = 0x000000FF; // red
    G.TransmitFontWhite.Color = clWindowText;
    G.ReceiveFontBlack.Color = 0x0000FF00;                    // green
    G.TransmitFontBlack.Color = 0x00FF0000;                   // blue
    const QFont chosen = pixelFont("DejaVu Serif", 21, true); // chosen before the switch
    w->ReceiveScreen->setFont(chosen);

    for (const QString& choice : choices)
        (choice == "Black" ? w->Black1 : w->White1)->trigger();

    QCOMPARE(G.ColorScheme, black ? 2 : 1);
    QCOMPARE(w->Black1->isChecked(), black);
    QCOMPARE(w->White1->isChecked(), !black);
    const QPalette system = QApplication::palette();
    const QColor background = black ? QColor(Qt::black) : system.color(QPalette::Base);
    for (TScreenMemo* s : {w->ReceiveScreen, w->TransmitScreen})
        QCOMPARE(s->palette().color(QPalette::Base), background);
    QCOMPARE(w->ReceiveScreen->palette().color(QPalette::Text),
             black ? QColor(0, 255, 0) : QColor(255, 0, 0));
    QCOMPARE(w->TransmitScreen->palette().color(QPalette::Text),
             black ? QColor(0, 0, 255) : system.color(QPalette::Text));
    QCOMPARE(w->ReceiveScreen->font(), chosen);
}

void AppearanceTest::fontCommands_data()
{
    QTest::addColumn<bool>("transmit");
    QTest::addColumn<int>("scheme");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QString>("record"); // the one that must change

    QTest::newRow("receive font, White, confirmed") << false << 1 << true << "ReceiveFontWhite";
    QTest::newRow("receive font, Black, cancelled: the current font stored")
        << false << 2 << false << "ReceiveFontBlack";
    QTest::newRow("transmit font, White, cancelled") << true << 1 << false << "TransmitFontWhite";
    QTest::newRow("transmit font, stored scheme 0 counts as Black, confirmed")
        << true << 0 << true << "TransmitFontBlack";
}

void AppearanceTest::fontCommands()
{
    QFETCH(bool, transmit);
    QFETCH(int, scheme);
    QFETCH(bool, confirmed);
    QFETCH(QString, record);
    WindowFixture f;
    f.show();
    TFerrow* w = Ferrow;
    G.ColorScheme = scheme;
    TScreenMemo* target = transmit ? w->TransmitScreen : w->ReceiveScreen;
    TScreenMemo* other = transmit ? w->ReceiveScreen : w->TransmitScreen;
    target->setFont(pixelFont("DejaVu Sans Mono", 17));
    target->setFontColor(0x00123456);
    const QFont otherFont = other->font();
    for (const QString& name : RecordNames) {
        ScreenFontRecord* r = recordNamed(name);
        r->Reserved[0] = 0xAB;
        r->Reserved[1] = 0xCD;
        r->Name.store("An earlier face with a long name");
    }
    ScreenFontRecord before[4] = {G.ReceiveFontWhite, G.ReceiveFontBlack, G.TransmitFontWhite,
                                  G.TransmitFontBlack};
    f.query.fontAnswers << FontAnswer{{}, {}, FontChoice{pixelFont("DejaVu Serif", 16, true), 0x0000FF00}};
    if (!confirmed)
        f.query.fontAnswers.first().answer.reset();

    (transmit ? w->TransmitFont1 : w->ReceiveFont1)->trigger();

    QCOMPARE(G.FontTarget, transmit ? 1 : 0);
    const ScreenFontRecord& r = *recordNamed(record);
    QCOMPARE(QByteArray(r.Name.text().data()),
             confirmed ? QByteArray("DejaVu Serif") : QByteArray("DejaVu Sans Mono"));
    QCOMPARE(r.Height, confirmed ? -16 : -17);
    QCOMPARE(r.Size, confirmed ? 12 : 13);
    QCOMPARE(int(r.Style), confirmed ? 1 : 0);
    QCOMPARE(r.Color, confirmed ? 0x0000FF00 : 0x00123456);
    QCOMPARE(int(r.Reserved[0]) << 8 | int(r.Reserved[1]), 0xABCD);
    QCOMPARE(QByteArray(r.Name.bytes + 20, 12), QByteArray(" a long name")); // after the new end: kept
    QCOMPARE(target->font().family(),
             confirmed ? QStringLiteral("DejaVu Serif") : QStringLiteral("DejaVu Sans Mono"));
    QCOMPARE(other->font(), otherFont);
    for (int i = 0; i < 4; ++i)
        if (RecordNames[i] != record)
            QVERIFY2(sameBytes(*recordNamed(RecordNames[i]), before[i]), qPrintable(RecordNames[i]));
}

void AppearanceTest::fontDialogKeepsItsFont()
{
    WindowFixture f;
    f.show();
    TFerrow* w = Ferrow;
    const QFont receiveBefore = w->ReceiveScreen->font();
    const FontChoice applied{pixelFont("DejaVu Serif", 19), 0x000000FF};
    QFont shownWhileOpen;
    f.query.fontAnswers << FontAnswer{{applied}, [&] { shownWhileOpen = w->TransmitScreen->font(); }, {}};
    f.query.fontAnswers << FontAnswer{{}, {}, FontChoice{pixelFont("DejaVu Sans", 14), clWindowText}};
    f.query.fontAnswers << FontAnswer{};

    w->TransmitFont1->trigger();            // Apply, then Cancel
    QCOMPARE(shownWhileOpen, applied.font); // Apply changed the screen at once
    QCOMPARE(w->TransmitScreen->FontColor, 0x000000FF);
    QCOMPARE(w->ReceiveScreen->font(), receiveBefore);
    w->ReceiveFont1->trigger(); // OK
    w->ReceiveFont1->trigger(); // Cancel

    // Never preset with a screen's font: first the design font, then the
    // font it last held.
    QCOMPARE(f.query.fontsOffered.size(), 3);
    QCOMPARE(f.query.fontsOffered[0].font, pixelFont("MS Sans Serif", 13));
    QCOMPARE(f.query.fontsOffered[0].color, clWindowText);
    QCOMPARE(f.query.fontsOffered[1].font, applied.font);
    QCOMPARE(f.query.fontsOffered[1].color, 0x000000FF);
    QCOMPARE(f.query.fontsOffered[2].font.family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(w->ReceiveScreen->font().pixelSize(), 14);
    QCOMPARE(w->TransmitScreen->font(), applied.font); // the cancelled dialog undid nothing
}

void AppearanceTest::fontRecords_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("pitch");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("family"); // expected
    QTest::addColumn<int>("pixels");
    QTest::addColumn<QString>("styles"); // b i u s

    QTest::newRow("the height, set last, decides the size")
        << QByteArray("DejaVu Serif") << 20 << 0 << 0 << -15 << "DejaVu Serif" << 15 << "";
    QTest::newRow("height 0: the size in points decides")
        << QByteArray("DejaVu Serif") << 12 << 0 << 0 << 0 << "DejaVu Serif" << 16 << "";
    QTest::newRow("all four styles, fixed pitch")
        << QByteArray("DejaVu Sans Mono") << 11 << 15 << 2 << -15 << "DejaVu Sans Mono" << 15 << "bius";
    QTest::newRow("bold, italic and strike-out")
        << QByteArray("DejaVu Sans") << 11 << 11 << 0 << -15 << "DejaVu Sans" << 15 << "bis";
    QTest::newRow("empty name: the face stays")
        << QByteArray() << 11 << 0 << 0 << -15 << "Keep Me" << 15 << "";
    QTest::newRow("damaged height: cut to 400 pixels")
        << QByteArray("DejaVu Sans") << 11 << 0 << 0 << -2000000000 << "DejaVu Sans" << 400 << "";
}

void AppearanceTest::fontRecords()
{
    QFETCH(QByteArray, name);
    QFETCH(int, size);
    QFETCH(int, style);
    QFETCH(int, pitch);
    QFETCH(int, height);
    QFETCH(QString, family);
    QFETCH(int, pixels);
    QFETCH(QString, styles);
    ScreenFontRecord r;
    r.Name.store(name.toStdString());
    r.Size = size;
    r.Style = quint8(style);
    r.Pitch = quint8(pitch);
    r.Height = height;

    const QFont font = fontFromRecord(r, pixelFont("Keep Me", 9), 96);

    QCOMPARE(font.family(), family);
    QCOMPARE(font.pixelSize(), pixels);
    QCOMPARE(font.fixedPitch(), pitch == 2);
    const QString shown = QString(font.bold() ? "b" : "") + (font.italic() ? "i" : "") +
        (font.underline() ? "u" : "") + (font.strikeOut() ? "s" : "");
    QCOMPARE(shown, styles);
    // Read back, the record holds what it was applied with.
    const ScreenFontRecord back = fontRecordOf(font, clWindowText, 96);
    QCOMPARE(back.Height, -pixels);
    QCOMPARE(int(back.Style), style);
}

QTEST_MAIN(AppearanceTest)
#include "appearance_test.moc"
