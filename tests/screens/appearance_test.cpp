// The main window's screen stack and looks: the layout on showing, on a
// splitter drag and when enlarged, the screen modes, the colour schemes, the
// font commands with their dialog, the font records, and a restart on the
// settings file.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "screens/font_record.h"
#include "screens/screen_memo.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QFile>
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

// ReceiveFontWhite, ReceiveFontBlack, TransmitFontWhite, TransmitFontBlack.
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
    void restartKeepsTheLooks();
};

void AppearanceTest::layout_data()
{
    QTest::addColumn<QString>(
        "drag"); // "up N" / "down N" move events after a mouse-down; "real" press and release
    QTest::addColumn<int>("splitterAfterDrop"); // -1: held by a bound
    QTest::addColumn<int>("splitterAfterLayout");

    QTest::newRow("up ten pixels to 200: 127 high, 194 on the next layout") << "up 10" << 200 << 194;
    QTest::newRow("a real mouse press and release") << "real" << 210 << 204;
    QTest::newRow("up far over the control bands: held at three lines") << "up 400" << -1 << -1;
}

void AppearanceTest::layout()
{
    QFETCH(QString, drag);
    QFETCH(int, splitterAfterDrop);
    QFETCH(int, splitterAfterLayout);
    WindowFixture f;
    f.show();
    TFerrow* w = Ferrow;
    QCOMPARE(G.ScreenAreaHeight, 253.0f);
    QCOMPARE(w->ReceiveScreen->geometry(), QRect(0, 67, 622, 143));
    QCOMPARE(w->TransmitScreen->geometry(), QRect(0, 213, 622, 143));

    G.ActiveScreen = 0;
    const QStringList how = drag.split(QLatin1Char(' '));
    if (how[0] == "real") {
        QTest::mousePress(w->SplitterPanel, Qt::LeftButton, {}, QPoint(20, 1));
        QCOMPARE(int(G.SplitDragging), 1);
        QTest::mouseRelease(w->SplitterPanel, Qt::LeftButton, {}, QPoint(20, 1));
    } else {
        w->SplitterPanelMouseDown(1);
        for (int i = 0; i < how[1].toInt(); ++i)
            w->SplitterPanelMouseMove(-500);
        QCOMPARE(w->ReceiveScreen->height(), 143); // not resized during the drag
        w->SplitterPanelMouseUp();
    }
    QCOMPARE(int(G.SplitDragging), 0);
    QCOMPARE(G.ActiveScreen, 1); // the typing screen has the keyboard again
    const int splitter = w->SplitterPanel->y();
    if (splitterAfterDrop >= 0)
        QCOMPARE(splitter, splitterAfterDrop);
    else // the receive screen keeps three lines
        QVERIFY(splitter - 73 >= 3 * w->ReceiveScreen->fontMetrics().lineSpacing() && splitter < 210);
    QCOMPARE(w->ReceiveScreen->geometry(), QRect(0, 67, 622, splitter - 73));
    QCOMPARE(w->TransmitScreen->geometry(), QRect(0, splitter + 3, 622, 356 - splitter - 3));
    QCOMPARE(G.SplitRatio, float(splitter - 73) / 253.0f);
    w->FormResize();
    if (splitterAfterLayout >= 0)
        QCOMPARE(w->SplitterPanel->y(), splitterAfterLayout);

    // Enlarged: every band as wide as the window, the status band at the
    // bottom, the splitter where the ratio puts it.
    const float ratio = G.SplitRatio;
    w->resize(1000, 800);
    QTRY_COMPARE(w->centralWidget()->width(), 1000);
    const int statusTop = w->centralWidget()->height() - 68;
    QCOMPARE(w->StatusPanel->geometry(), QRect(0, statusTop, 1000, 68));
    QCOMPARE(w->SplitterPanel->y(), int(double(statusTop - 103) * double(ratio)) + 67);
    QCOMPARE(w->TransmitScreen->geometry(),
             QRect(0, w->SplitterPanel->y() + 3, 1000, statusTop - w->SplitterPanel->y() - 3));
}

void AppearanceTest::modesAndSchemes_data()
{
    QTest::addColumn<QStringList>("choices"); // menu items, in order
    QTest::addColumn<bool>("single");
    QTest::addColumn<bool>("black");

    QTest::newRow("Single Screen: the receive screen types; Black")
        << QStringList{"Single Screen", "Black"} << true << true;
    QTest::newRow("Dual and White again")
        << QStringList{"Single Screen", "Black", "Dual Screen", "White"} << false << false;
}

void AppearanceTest::modesAndSchemes()
{
    QFETCH(QStringList, choices);
    QFETCH(bool, single);
    QFETCH(bool, black);
    WindowFixture f;
    f.show();
    TFerrow* w = Ferrow;
    for (TScreenMemo* s : {w->ReceiveScreen, w->TransmitScreen}) {
        s->setPlainText(QStringLiteral("some text"));
        s->setTextCursor(QTextCursor(s->document()));
        s->setReadOnly(true);
    }
    w->nrComm1->SetTerminalUsage(tuNone);
    G.ReceiveFontWhite.Color = 0x000000FF;  // red
    G.ReceiveFontBlack.Color = 0x0000FF00;  // green
    G.TransmitFontBlack.Color = 0x00FF0000; // blue; TransmitFontWhite keeps window text
    const QFont chosen = pixelFont("DejaVu Serif", 21, true);
    w->ReceiveScreen->setFont(chosen);

    for (const QString& choice : choices)
        for (QAction* item : {w->SingleScreenBtn, w->DualScreenBtn, w->Black1, w->White1})
            if (item->text() == choice)
                item->trigger();

    TScreenMemo* typing = single ? w->ReceiveScreen : w->TransmitScreen;
    QCOMPARE(G.ScreenMode, single ? 1 : 2);
    QCOMPARE(w->ModeMemo->toPlainText(), QString(single ? "Single Screen" : "Dual Screen"));
    QCOMPARE(QList({w->SingleScreenBtn->isChecked(), w->DualScreenBtn->isChecked()}),
             QList({single, !single}));
    QCOMPARE(G.ActiveScreen, single ? 0 : 1);
    QVERIFY(!typing->isReadOnly() && typing->textCursor().atEnd());
    QCOMPARE(w->focusWidget(), static_cast<QWidget*>(typing));
    QCOMPARE(w->nrComm1->GetTerminalUsage(), int(tuReceive));

    QCOMPARE(G.ColorScheme, black ? 2 : 1);
    QCOMPARE(QList({w->Black1->isChecked(), w->White1->isChecked()}), QList({black, !black}));
    const QPalette system = QApplication::palette();
    for (TScreenMemo* s : {w->ReceiveScreen, w->TransmitScreen})
        QCOMPARE(s->palette().color(QPalette::Base),
                 black ? QColor(Qt::black) : system.color(QPalette::Base));
    QCOMPARE(w->ReceiveScreen->palette().color(QPalette::Text),
             black ? QColor(0, 255, 0) : QColor(255, 0, 0));
    QCOMPARE(w->TransmitScreen->palette().color(QPalette::Text),
             black ? QColor(0, 0, 255) : system.color(QPalette::Text));
    QCOMPARE(w->ReceiveScreen->font(), chosen); // face, size and style kept
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
    QCOMPARE(QList<int>({r.Size, r.Color, r.Style, r.Height}),
             confirmed ? QList<int>({12, 0x0000FF00, 1, -16}) : QList<int>({13, 0x00123456, 0, -17}));
    QCOMPARE(int(r.Reserved[1]), 0xCD);
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
    QCOMPARE(f.query.fontsOffered.size(), 3);
    QCOMPARE(
        QList({f.query.fontsOffered[0].font, f.query.fontsOffered[1].font, f.query.fontsOffered[2].font}),
        QList({pixelFont("MS Sans Serif", 13), applied.font, pixelFont("DejaVu Sans", 14)}));
    QCOMPARE(f.query.fontsOffered[0].color, clWindowText);
    QCOMPARE(w->ReceiveScreen->font().pixelSize(), 14);
    QCOMPARE(w->TransmitScreen->font(), applied.font); // the cancelled dialog undid nothing
}

void AppearanceTest::fontRecords_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QList<int>>("sizeStylePitchHeight");
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("pixels");

    QTest::newRow("all four styles, fixed pitch")
        << QByteArray("DejaVu Sans Mono") << QList<int>{11, 15, 2, -15} << "DejaVu Sans Mono" << 15;
    QTest::newRow("empty name keeps the face; damaged height cut to 400")
        << QByteArray() << QList<int>{11, 9, 0, -2000000000} << "Keep Me" << 400;
}

void AppearanceTest::fontRecords()
{
    QFETCH(QByteArray, name);
    QFETCH(QList<int>, sizeStylePitchHeight);
    QFETCH(QString, family);
    QFETCH(int, pixels);
    ScreenFontRecord r;
    r.Name.store(name.toStdString());
    r.Size = sizeStylePitchHeight[0];
    r.Style = quint8(sizeStylePitchHeight[1]);
    r.Pitch = quint8(sizeStylePitchHeight[2]);
    r.Height = sizeStylePitchHeight[3];

    const QFont font = fontFromRecord(r, pixelFont("Keep Me", 9), 96);

    QCOMPARE(font.family(), family);
    QCOMPARE(font.pixelSize(), pixels);
    QCOMPARE(font.fixedPitch(), r.Pitch == 2);
    // Read back, the record holds what it was applied with.
    const ScreenFontRecord back = fontRecordOf(font, clWindowText, 96);
    QCOMPARE(back.Height, -pixels);
    QCOMPARE(back.Style, r.Style);
}

void AppearanceTest::restartKeepsTheLooks()
{
    // A run that finds a settings file (empty: every default stays), where
    // the operator picks single screen, Black and a font for each screen;
    // then a restart on the file that run left.
    WindowFixture f;
    const auto restart = [&] {
        DestroyForms();
        G = ProcessState{};
        CreateForms();
        f.show();
    };
    QFile file(f.home() + QStringLiteral("Quillmar.cfg"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    restart();
    Ferrow->SingleScreenBtn->trigger();
    Ferrow->Black1->trigger();
    f.query.fontAnswers << FontAnswer{{}, {}, FontChoice{pixelFont("DejaVu Serif", 19, true), 0x0000FFFF}}
                        << FontAnswer{{}, {}, FontChoice{pixelFont("DejaVu Sans Mono", 12), 0x0000FF00}};
    Ferrow->ReceiveFont1->trigger();
    Ferrow->TransmitFont1->trigger();
    Ferrow->close();
    QCOMPARE(file.size(), 313985);

    restart();

    QCOMPARE(G.ScreenMode, 1);
    QCOMPARE(Ferrow->ModeMemo->toPlainText(), QString("Single Screen"));
    QVERIFY(Ferrow->SingleScreenBtn->isChecked() && Ferrow->Black1->isChecked());
    QVERIFY(Ferrow->ReceiveScreen->toPlainText().startsWith("Quillmar EMCOMM/ARES Program"));
    const QFont receive = Ferrow->ReceiveScreen->font();
    const QFont transmit = Ferrow->TransmitScreen->font();
    QCOMPARE(QList<QVariant>({receive.family(), receive.pixelSize(), receive.bold()}),
             QList<QVariant>({"DejaVu Serif", 19, true}));
    QCOMPARE(QList<QVariant>({transmit.family(), transmit.pixelSize(), transmit.bold()}),
             QList<QVariant>({"DejaVu Sans Mono", 12, false}));
    QCOMPARE(Ferrow->ReceiveScreen->palette().color(QPalette::Text), QColor(255, 255, 0));
    QCOMPARE(Ferrow->TransmitScreen->palette().color(QPalette::Text), QColor(0, 255, 0));
    QCOMPARE(Ferrow->TransmitScreen->palette().color(QPalette::Base), QColor(Qt::black));
}

QTEST_MAIN(AppearanceTest)
#include "appearance_test.moc"
