// The main window's screen stack and looks: the layout on showing, on a splitter drag and when enlarged, the
// screen modes and colour schemes, also after a restart, the font commands with their dialog, and the font
// records.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "screens/font_record.h"
#include "screens/screen_memo.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QTest>

#include <cstring>
#include <limits>

namespace {

QFont pixelFont(const char* family, int pixels, bool bold = false)
{
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// "DejaVu Serif 19 bold, #ffff00 on #000000"; the system's own colours as "text" and "base".
QString looks(const QWidget* s)
{
    const auto colour = [s](QPalette::ColorRole role, const char* system) {
        const QColor c = s->palette().color(role);
        return c == QApplication::palette().color(role) ? QString(system) : c.name();
    };
    return QStringLiteral("%1 %2%3, %4 on %5")
        .arg(s->font().family())
        .arg(s->font().pixelSize())
        .arg(s->font().bold() ? " bold" : "")
        .arg(colour(QPalette::Text, "text"), colour(QPalette::Base, "base"));
}

ScreenFontRecord* const Records[] = {&G.ReceiveFontWhite, &G.ReceiveFontBlack, &G.TransmitFontWhite,
                                     &G.TransmitFontBlack};

} // namespace

class AppearanceTest : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void modesAndSchemes_data();
    void modesAndSchemes();
    void fontCommands_data();
    void fontCommands();
    void fontDialogKeepsItsFont();
    void fontRecords_data();
    void fontRecords();
    void largestFonts_data();
    void largestFonts();
};

void AppearanceTest::layout_data()
{
    QTest::addColumn<QString>("drag"); // "up N": mouse-down, N moves, mouse-up; "real": a press and a release
    QTest::addColumn<int>("dropped");  // splitter top after the drop; -1: held by a bound
    QTest::addColumn<int>("relaid");   // and after the next layout
    QTest::newRow("up ten pixels to 200: 127 high, 194 on the next layout") << "up 10" << 200 << 194;
    QTest::newRow("a real mouse press and release") << "real" << 210 << 204;
    QTest::newRow("up far over the control bands: held at one line") << "up 400" << -1 << -1;
}

void AppearanceTest::layout()
{
    QFETCH(QString, drag);
    QFETCH(int, dropped);
    QFETCH(int, relaid);
    WindowFixture f;
    f.show();
    TFerrow* w = Ferrow;
    QCOMPARE(QList({w->ReceiveScreen->geometry(), w->TransmitScreen->geometry()}),
             QList({QRect(0, 67, 622, 143), QRect(0, 213, 622, 143)}));
    G.ActiveScreen = 0;
    if (drag == "real") {
        QTest::mousePress(w->SplitterPanel, Qt::LeftButton, {}, QPoint(20, 1));
        QCOMPARE(int(G.SplitDragging), 1);
        QTest::mouseRelease(w->SplitterPanel, Qt::LeftButton, {}, QPoint(20, 1));
    } else {
        w->SplitterPanelMouseDown(1);
        for (int i = drag.mid(3).toInt(); i > 0; --i)
            w->SplitterPanelMouseMove(-500);
        QCOMPARE(w->ReceiveScreen->height(), 143); // not resized during the drag
        w->SplitterPanelMouseUp();
    }
    QCOMPARE(QList({int(G.SplitDragging), G.ActiveScreen}), QList({0, 1})); // the typing screen has the keys
    const int top = w->SplitterPanel->y();
    if (dropped >= 0)
        QCOMPARE(top, dropped);
    else // the receive screen keeps a line
        QVERIFY(top - 73 >= w->ReceiveScreen->fontMetrics().lineSpacing() && top < 210);
    QCOMPARE(QList({w->ReceiveScreen->geometry(), w->TransmitScreen->geometry()}),
             QList({QRect(0, 67, 622, top - 73), QRect(0, top + 3, 622, 356 - top - 3)}));
    QCOMPARE(G.SplitRatio, float(top - 73) / 253.0f);
    w->FormResize();
    if (relaid >= 0)
        QCOMPARE(w->SplitterPanel->y(), relaid);

    // Enlarged: every band as wide as the window, the status band at the bottom, the splitter at the ratio.
    const float ratio = G.SplitRatio;
    w->resize(1000, 800);
    QTRY_COMPARE(w->centralWidget()->width(), 1000);
    const int statusTop = w->centralWidget()->height() - 68;
    const int splitter = int(double(statusTop - 103) * double(ratio)) + 67;
    QCOMPARE(w->SplitterPanel->y(), splitter);
    QCOMPARE(QList({w->StatusPanel->geometry(), w->TransmitScreen->geometry()}),
             QList({QRect(0, statusTop, 1000, 68), QRect(0, splitter + 3, 1000, statusTop - splitter - 3)}));
}

void AppearanceTest::modesAndSchemes_data()
{
    QTest::addColumn<QStringList>("choices"); // menu items in order, "fonts" (one for each screen), "restart"
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("receive");
    QTest::addColumn<QString>("transmit");
    const QString single = "1 Single Screen, scheme 2, typing in 0, usage 2: ";
    const auto row = [](const char* name, const QStringList& choices, const QString& state,
                        const char* receive, const char* transmit) {
        QTest::newRow(name) << choices << state << receive << transmit;
    };
    row("Single Screen: the receive screen types; Black", {"Single Screen", "Black"}, single + "some text",
        "DejaVu Serif 21 bold, #00ff00 on #000000", "MS Sans Serif 15, #0000ff on #000000");
    row("Dual and White again", {"Single Screen", "Black", "Dual Screen", "White"},
        "2 Dual Screen, scheme 1, typing in 1, usage 2: some text", "DejaVu Serif 21 bold, #ff0000 on base",
        "MS Sans Serif 15, text on base");
    row("a restart keeps the mode, the scheme, both fonts and their colours",
        {"Single Screen", "Black", "fonts", "restart"}, single + "Quillmar EMCOMM/ARES Program",
        "DejaVu Serif 19 bold, #ffff00 on #000000", "DejaVu Sans Mono 12, #00ff00 on #000000");
}

void AppearanceTest::modesAndSchemes()
{
    QFETCH(QStringList, choices);
    QFETCH(QString, state);
    WindowFixture f;
    f.show();
    for (TScreenMemo* s : {Ferrow->ReceiveScreen, Ferrow->TransmitScreen}) {
        s->setPlainText(QStringLiteral("some text"));
        s->setTextCursor(QTextCursor(s->document()));
        s->setReadOnly(true);
    }
    Ferrow->nrComm1->SetTerminalUsage(tuNone);
    G.ReceiveFontWhite.Color = 0x000000FF;  // red
    G.ReceiveFontBlack.Color = 0x0000FF00;  // green
    G.TransmitFontBlack.Color = 0x00FF0000; // blue; TransmitFontWhite keeps window text
    Ferrow->ReceiveScreen->setFont(pixelFont("DejaVu Serif", 21, true));
    f.query.fontAnswers << FontAnswer{{}, {}, FontChoice{pixelFont("DejaVu Serif", 19, true), 0x0000FFFF}}
                        << FontAnswer{{}, {}, FontChoice{pixelFont("DejaVu Sans Mono", 12), 0x0000FF00}};

    for (const QString& choice : choices) {
        if (choice == "fonts") {
            Ferrow->ReceiveFont1->trigger();
            Ferrow->TransmitFont1->trigger();
        } else if (choice == "restart") {
            f.restart();
        }
        triggerCaptioned({Ferrow->SingleScreenBtn, Ferrow->DualScreenBtn, Ferrow->Black1, Ferrow->White1},
                         choice);
    }

    TFerrow* w = Ferrow;
    const bool single = G.ScreenMode == 1;
    TScreenMemo* typing = single ? w->ReceiveScreen : w->TransmitScreen;
    QCOMPARE(QStringLiteral("%1 %2, scheme %3, typing in %4, usage %5: %6")
                 .arg(G.ScreenMode)
                 .arg(w->ModeMemo->toPlainText())
                 .arg(G.ColorScheme)
                 .arg(G.ActiveScreen)
                 .arg(w->nrComm1->GetTerminalUsage())
                 .arg(w->ReceiveScreen->toPlainText().left(28)),
             state);
    QCOMPARE(QList({w->SingleScreenBtn->isChecked(), w->DualScreenBtn->isChecked(), w->Black1->isChecked(),
                    w->White1->isChecked()}),
             QList({single, !single, G.ColorScheme == 2, G.ColorScheme == 1}));
    QVERIFY(!typing->isReadOnly() && typing->textCursor().atEnd());
    QCOMPARE(w->focusWidget(), static_cast<QWidget*>(typing));
    QTEST(looks(w->ReceiveScreen), "receive");
    QTEST(looks(w->TransmitScreen), "transmit");
}

void AppearanceTest::fontCommands_data()
{
    QTest::addColumn<bool>("transmit");
    QTest::addColumn<int>("scheme");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<int>("record"); // index into Records: the one that must change
    QTest::newRow("receive font, White, confirmed") << false << 1 << true << 0;
    QTest::newRow("receive font, Black, cancelled: the screen's font stored") << false << 2 << false << 1;
    QTest::newRow("transmit font, scheme 0 counts as Black, confirmed") << true << 0 << true << 3;
}

void AppearanceTest::fontCommands()
{
    QFETCH(bool, transmit);
    QFETCH(int, scheme);
    QFETCH(bool, confirmed);
    QFETCH(int, record);
    WindowFixture f;
    f.show();
    G.ColorScheme = scheme;
    TScreenMemo* target = transmit ? Ferrow->TransmitScreen : Ferrow->ReceiveScreen;
    TScreenMemo* other = transmit ? Ferrow->ReceiveScreen : Ferrow->TransmitScreen;
    target->setFont(pixelFont("DejaVu Sans Mono", 17));
    target->setFontColor(0x00123456);
    const QFont otherFont = other->font();
    ScreenFontRecord before[4];
    for (int i = 0; i < 4; ++i) {
        Records[i]->Name.store("An earlier face with a long name");
        Records[i]->Reserved[1] = 0xCD;
        before[i] = *Records[i];
    }
    f.query.fontAnswers << FontAnswer{{}, {}, FontChoice{pixelFont("DejaVu Serif", 16, true), 0x0000FF00}};
    if (!confirmed)
        f.query.fontAnswers.first().answer.reset();

    (transmit ? Ferrow->TransmitFont1 : Ferrow->ReceiveFont1)->trigger();

    QCOMPARE(G.FontTarget, transmit ? 1 : 0);
    const ScreenFontRecord& r = *Records[record];
    QCOMPARE(r.Name.text().data(), confirmed ? "DejaVu Serif" : "DejaVu Sans Mono");
    QCOMPARE(QList<int>({r.Size, r.Color, r.Style, r.Height, r.Reserved[1]}),
             confirmed ? QList<int>({12, 0x0000FF00, 1, -16, 0xCD})
                       : QList<int>({13, 0x00123456, 0, -17, 0xCD}));
    QCOMPARE(QByteArray(r.Name.bytes + 20, 12), QByteArray(" a long name")); // after the new terminator: kept
    QCOMPARE(target->font().pixelSize(), confirmed ? 16 : 17);
    QCOMPARE(other->font(), otherFont);
    for (int i = 0; i < 4; ++i)
        QVERIFY(i == record || std::memcmp(Records[i], &before[i], sizeof before[i]) == 0);
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

    w->TransmitFont1->trigger();            // Apply, then Cancel
    QCOMPARE(shownWhileOpen, applied.font); // Apply changed the screen at once
    QCOMPARE(w->TransmitScreen->FontColor, 0x000000FF);
    QCOMPARE(w->ReceiveScreen->font(), receiveBefore);
    w->ReceiveFont1->trigger(); // OK
    w->ReceiveFont1->trigger(); // Cancel

    // Never preset with a screen's font: the design font, then what it last held.
    QList<QFont> offered;
    for (const FontChoice& c : f.query.fontsOffered)
        offered << c.font;
    QCOMPARE(offered, QList({pixelFont("MS Sans Serif", 13), applied.font, pixelFont("DejaVu Sans", 14)}));
    QCOMPARE(f.query.fontsOffered[0].color, clWindowText);
    QCOMPARE(w->ReceiveScreen->font().pixelSize(), 14);
    QCOMPARE(w->TransmitScreen->font(), applied.font); // the cancelled dialog undid nothing
}

void AppearanceTest::fontRecords_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QList<int>>("sizeStylePitchHeight");
    QTest::addColumn<QString>("font"); // face, pixel size, fixed pitch
    QTest::newRow("all four styles, fixed pitch")
        << QByteArray("DejaVu Sans Mono") << QList<int>{11, 15, 2, -15} << "DejaVu Sans Mono 15 fixed";
    QTest::newRow("empty name keeps the face; damaged height cut to 96")
        << QByteArray() << QList<int>{11, 9, 0, -2000000000} << "Keep Me 96";
}

void AppearanceTest::fontRecords()
{
    QFETCH(QByteArray, name);
    QFETCH(QList<int>, sizeStylePitchHeight);
    QFETCH(QString, font);
    ScreenFontRecord r;
    r.Name.store(name.toStdString());
    r.Size = sizeStylePitchHeight[0];
    r.Style = quint8(sizeStylePitchHeight[1]);
    r.Pitch = quint8(sizeStylePitchHeight[2]);
    r.Height = sizeStylePitchHeight[3];
    const QFont f = fontFromRecord(r, pixelFont("Keep Me", 9), 96);
    QCOMPARE(QStringLiteral("%1 %2%3").arg(f.family()).arg(f.pixelSize()).arg(f.fixedPitch() ? " fixed" : ""),
             font);
    // Read back, the record holds what it was applied with.
    const ScreenFontRecord back = fontRecordOf(f, clWindowText, 96);
    QCOMPARE(QList<int>({back.Height, back.Style}), QList<int>({-f.pixelSize(), r.Style}));
}

void AppearanceTest::largestFonts_data()
{
    QTest::addColumn<int>("storedHeight"); // in all four records; 0: 400-pixel fonts chosen in the dialog
    QTest::newRow("400 pixels chosen for both screens") << 0;
    QTest::newRow("stored height -667") << -667;
    QTest::newRow("stored height 100000") << 100000;
    QTest::newRow("stored height INT_MIN") << std::numeric_limits<int>::min();
}

// Both screens show a line of their font, the splitter moves both ways, and stored records go back unchanged.
void AppearanceTest::largestFonts()
{
    QFETCH(int, storedHeight);
    WindowFixture f;
    f.show();
    TFerrow* w = Ferrow;
    ScreenFontRecord stored[4];
    if (storedHeight == 0) {
        for (QAction* font : {w->ReceiveFont1, w->TransmitFont1}) {
            f.query.fontAnswers << FontAnswer{
                {}, {}, FontChoice{pixelFont("DejaVu Serif", 400), clWindowText}};
            font->trigger();
        }
        QCOMPARE(QList({G.ReceiveFontWhite.Height, G.TransmitFontWhite.Height}), QList({-96, -96}));
    } else {
        for (int i = 0; i < 4; ++i) {
            Records[i]->Height = storedHeight;
            Records[i]->Size = 300;
            stored[i] = *Records[i];
        }
        w->applyStoredTransmitFont();
        w->applyStoredReceiveFont();
        for (int i = 0; i < 4; ++i)
            QVERIFY(std::memcmp(Records[i], &stored[i], sizeof stored[i]) == 0);
    }
    const auto showsALine = [](const TScreenMemo* s) {
        return s->font().pixelSize() >= 6 && s->font().pixelSize() <= 96 &&
            s->viewport()->height() >= s->fontMetrics().lineSpacing();
    };
    for (const char* way : {"up", "down", "up"}) {
        const int before = w->SplitterPanel->y();
        w->SplitterPanelMouseDown(1);
        for (int i = 0; i < 8; ++i)
            w->SplitterPanelMouseMove(way == QByteArray("up") ? -50 : 50);
        w->SplitterPanelMouseUp();
        QVERIFY2(way == QByteArray("up") ? w->SplitterPanel->y() < before : w->SplitterPanel->y() > before,
                 way);
        QVERIFY(showsALine(w->ReceiveScreen));
        QVERIFY(showsALine(w->TransmitScreen));
        w->FormResize();
        QVERIFY(showsALine(w->ReceiveScreen));
        QVERIFY(showsALine(w->TransmitScreen));
    }
}

QTEST_MAIN(AppearanceTest)
#include "appearance_test.moc"
