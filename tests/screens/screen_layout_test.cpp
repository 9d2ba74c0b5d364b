// The arithmetic of the screen stack with the design numbers: a resize, a
// splitter drag and drop, and the bounds.

#include "screens/screen_layout.h"

#include <QTest>

#include <limits>

namespace {

constexpr float DesignRatio = 144.0f / 253.0f;

StackGeometry design(int statusTop = 356, int width = 622)
{
    return StackGeometry{width, 0, 33, 33, 34, 3, statusTop};
}

} // namespace

class ScreenLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void resize_data();
    void resize();
    void drop_data();
    void drop();
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

QTEST_APPLESS_MAIN(ScreenLayoutTest)
#include "screen_layout_test.moc"
