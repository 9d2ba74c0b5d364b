// The arithmetic of the screen stack with the design numbers: a resize, a
// splitter drop, and the bounds.

#include "screens/screen_layout.h"

#include <QTest>

#include <limits>

namespace {

constexpr float DesignRatio = 144.0f / 253.0f;

StackGeometry design(int statusTop, int width = 622)
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
    QTest::addColumn<QList<int>>("expected"); // area, splitter top, receive and transmit heights

    // 253 x 0.56916994 is 143.99999 exactly; a float32 product rounds to 144.
    QTest::newRow("design: 143 truncated, splitter at 210")
        << 356 << DesignRatio << QList{253, 210, 143, 143};
    QTest::newRow("after the drop at 200: splitter at 194")
        << 356 << 127.0f / 253.0f << QList{253, 194, 127, 159};
    QTest::newRow("maximized to a status top of 700") << 700 << DesignRatio << QList{597, 406, 339, 291};
    QTest::newRow("a damaged ratio puts the splitter under the bands")
        << 356 << std::numeric_limits<float>::quiet_NaN() << QList{253, 67, 0, 286};
}

void ScreenLayoutTest::resize()
{
    QFETCH(int, statusTop);
    QFETCH(float, ratio);
    QFETCH(QList<int>, expected);
    const StackLayout l = layoutStack(design(statusTop, 900), ratio);
    QCOMPARE(QList<float>({l.screenArea}), QList<float>({float(expected[0])}));
    QCOMPARE(QList({l.splitterTop, l.receiveHeight, l.transmitHeight}), expected.mid(1));
    QCOMPARE(QList({l.width, l.receiveTop, l.transmitTop}), QList({900, 67, l.splitterTop + 3}));
}

void ScreenLayoutTest::drop_data()
{
    QTest::addColumn<int>("bounds"); // least height of each screen
    QTest::addColumn<float>("area"); // of the last layout
    QTest::addColumn<int>("droppedAt");
    QTest::addColumn<QList<int>>("expected"); // splitter top, receive and transmit heights
    QTest::addColumn<float>("ratio");

    QTest::newRow("design drop at 200: 127, six short of the space above")
        << 60 << 253.0f << 200 << QList{200, 127, 153} << 127.0f / 253.0f;
    QTest::newRow("dropped without moving: 137")
        << 60 << 253.0f << 210 << QList{210, 137, 143} << 137.0f / 253.0f;
    QTest::newRow("dragged over the control bands: held at three lines")
        << 60 << 253.0f << 20 << QList{133, 60, 220} << 60.0f / 253.0f;
    QTest::newRow("dragged over the status band: held at three lines")
        << 60 << 253.0f << 400 << QList{293, 220, 60} << 220.0f / 253.0f;
    QTest::newRow("window too small for both: the receive screen wins")
        << 150 << 253.0f << 250 << QList{223, 150, 130} << 150.0f / 253.0f;
    QTest::newRow("no counted area: the ratio stays") << 60 << 0.0f << 200 << QList{200, 127, 153} << 0.5f;
}

void ScreenLayoutTest::drop()
{
    QFETCH(int, bounds);
    QFETCH(float, area);
    QFETCH(int, droppedAt);
    QFETCH(QList<int>, expected);
    QFETCH(float, ratio);
    const StackGeometry g = design(356);
    const SplitterDrop d = dropSplitter(droppedAt, g, area, 0.5f, splitterRange(g, {bounds, bounds}));
    QCOMPARE(QList({d.splitterTop, d.receiveHeight, d.transmitHeight}), expected);
    QCOMPARE(d.transmitTop, d.splitterTop + 3);
    QCOMPARE(d.splitRatio, ratio);
}

QTEST_APPLESS_MAIN(ScreenLayoutTest)
#include "screen_layout_test.moc"
