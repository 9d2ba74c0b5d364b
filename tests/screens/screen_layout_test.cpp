// The arithmetic of the screen stack and of the send's progress bar, with
// the design numbers: a resize, a splitter drag and drop, and the bounds.

#include "screens/screen_layout.h"
#include "screens/send_progress.h"

#include <QTest>

#include <limits>

namespace {

constexpr float DesignRatio = 144.0f / 253.0f;

StackGeometry design(int statusTop = 356, int width = 622)
{
    return StackGeometry{width, 0, 33, 33, 34, 3, statusTop};
}

// Least screen heights that leave the design drop at 200 inside the range.
constexpr SplitterBounds Bounds{60, 60};

} // namespace

class ScreenLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void resize_data();
    void resize();
    void drop_data();
    void drop();
    void move_data();
    void move();
    void progress_data();
    void progress();
};

void ScreenLayoutTest::resize_data()
{
    QTest::addColumn<int>("statusTop");
    QTest::addColumn<float>("ratio");
    QTest::addColumn<float>("area");
    QTest::addColumn<int>("splitterTop");
    QTest::addColumn<int>("receiveHeight");
    QTest::addColumn<int>("transmitHeight");

    // 253 x 0.56916994 is 143.99999 exactly; a float32 product rounds to 144.
    QTest::newRow("design layout: 143 truncated, splitter at 210")
        << 356 << DesignRatio << 253.0f << 210 << 143 << 143;
    QTest::newRow("after the drop at 200: splitter at 194")
        << 356 << 127.0f / 253.0f << 253.0f << 194 << 127 << 159;
    QTest::newRow("maximized to a status top of 700") << 700 << DesignRatio << 597.0f << 406 << 339 << 291;
    QTest::newRow("a damaged ratio puts the splitter under the bands")
        << 356 << std::numeric_limits<float>::quiet_NaN() << 253.0f << 67 << 0 << 286;
}

void ScreenLayoutTest::resize()
{
    QFETCH(int, statusTop);
    QFETCH(float, ratio);
    QFETCH(float, area);
    QFETCH(int, splitterTop);
    QFETCH(int, receiveHeight);
    QFETCH(int, transmitHeight);
    const StackLayout l = layoutStack(design(statusTop, 900), ratio);
    QCOMPARE(l.width, 900);
    QCOMPARE(l.screenArea, area);
    QCOMPARE(l.splitterTop, splitterTop);
    QCOMPARE(l.receiveTop, 67);
    QCOMPARE(l.receiveHeight, receiveHeight);
    QCOMPARE(l.transmitTop, splitterTop + 3);
    QCOMPARE(l.transmitHeight, transmitHeight);
}

void ScreenLayoutTest::drop_data()
{
    QTest::addColumn<int>("statusTop");
    QTest::addColumn<int>("bounds"); // least height of each screen
    QTest::addColumn<float>("area"); // of the last layout
    QTest::addColumn<int>("droppedAt");
    QTest::addColumn<int>("splitterTop");
    QTest::addColumn<int>("receiveHeight");
    QTest::addColumn<int>("transmitHeight");
    QTest::addColumn<float>("ratio");

    QTest::newRow("design drop at 200: 127, six short of the space above")
        << 356 << 60 << 253.0f << 200 << 200 << 127 << 153 << 127.0f / 253.0f;
    QTest::newRow("dropped without moving: 137")
        << 356 << 60 << 253.0f << 210 << 210 << 137 << 143 << 137.0f / 253.0f;
    QTest::newRow("dragged over the control bands: held at three lines")
        << 356 << 60 << 253.0f << 20 << 133 << 60 << 220 << 60.0f / 253.0f;
    QTest::newRow("dragged over the status band: held at three lines")
        << 356 << 60 << 253.0f << 400 << 293 << 220 << 60 << 220.0f / 253.0f;
    QTest::newRow("window too small for both: the receive screen wins")
        << 356 << 150 << 253.0f << 250 << 223 << 150 << 130 << 150.0f / 253.0f;
    QTest::newRow("no counted area: the ratio stays")
        << 356 << 60 << 0.0f << 200 << 200 << 127 << 153 << 0.5f;
}

void ScreenLayoutTest::drop()
{
    QFETCH(int, statusTop);
    QFETCH(int, bounds);
    QFETCH(float, area);
    QFETCH(int, droppedAt);
    QFETCH(int, splitterTop);
    QFETCH(int, receiveHeight);
    QFETCH(int, transmitHeight);
    QFETCH(float, ratio);
    const StackGeometry g = design(statusTop);
    const SplitterDrop d = dropSplitter(droppedAt, g, area, 0.5f, splitterRange(g, {bounds, bounds}));
    QCOMPARE(d.splitterTop, splitterTop);
    QCOMPARE(d.receiveHeight, receiveHeight);
    QCOMPARE(d.transmitTop, splitterTop + 3);
    QCOMPARE(d.transmitHeight, transmitHeight);
    QCOMPARE(d.splitRatio, ratio);
}

void ScreenLayoutTest::move_data()
{
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("mouseY");
    QTest::addColumn<int>("expected");

    // The drag began at Y = 1 within the splitter; the range is 133..293.
    QTest::newRow("far above: one pixel up") << 210 << -150 << 209;
    QTest::newRow("just below: one pixel down") << 210 << 2 << 211;
    QTest::newRow("level with the start: no move") << 210 << 1 << 210;
    QTest::newRow("at the upper bound: no further") << 133 << -5 << 133;
    QTest::newRow("at the lower bound: no further") << 293 << 9 << 293;
    QTest::newRow("outside the range: back toward it") << 100 << 9 << 101;
}

void ScreenLayoutTest::move()
{
    QFETCH(int, top);
    QFETCH(int, mouseY);
    QFETCH(int, expected);
    QCOMPARE(splitterTopAfterMove(top, mouseY, 1, splitterRange(design(), Bounds)), expected);
}

void ScreenLayoutTest::progress_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("step");
    QTest::addColumn<QList<int>>("positions"); // after characters 1, 2, 3, 4, 49, 50, 60 (those sent)

    QTest::newRow("60 characters: every second, 25 at the 50th")
        << 60 << 2 << QList<int>{1, 1, 1, 2, 24, 25, 25};
    QTest::newRow("10 characters: step 1, ends at 10") << 10 << 1 << QList<int>{1, 2, 3, 4};
    QTest::newRow("25 characters: step 1") << 25 << 1 << QList<int>{1, 2, 3, 4, 25, 25, 25};
    QTest::newRow("1000 characters: step 40, held at 1 at first")
        << 1000 << 40 << QList<int>{1, 1, 1, 1, 1, 1, 1};
}

void ScreenLayoutTest::progress()
{
    QFETCH(int, length);
    QFETCH(int, step);
    QFETCH(QList<int>, positions);
    QCOMPARE(progressStep(length, 25), step);
    const QList<int> sent{1, 2, 3, 4, 49, 50, 60};
    for (int k = 0; k < sent.size() && sent[k] <= length; ++k)
        QCOMPARE(progressPosition(sent[k], step, 1, 25), positions[k]);
}

QTEST_APPLESS_MAIN(ScreenLayoutTest)
#include "screen_layout_test.moc"
