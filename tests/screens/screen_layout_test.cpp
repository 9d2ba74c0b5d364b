// The arithmetic of the screen stack with the design numbers: a resize, a splitter drop, and the bounds.

#include "screens/screen_layout.h"

#include <QTest>

namespace {

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
    const float designRatio = 144.0f / 253.0f;
    // 253 x 0.56916994 is 143.99999 exactly; a float32 product rounds to 144.
    QTest::newRow("design: 143 truncated, splitter at 210")
        << 356 << designRatio << QList{253, 210, 143, 143};
    QTest::newRow("maximized to a status top of 700") << 700 << designRatio << QList{597, 406, 339, 291};
    QTest::newRow("a damaged ratio puts the splitter under the bands")
        << 356 << float(qQNaN()) << QList{253, 67, 0, 286};
}

void ScreenLayoutTest::resize()
{
    QFETCH(int, statusTop);
    QFETCH(float, ratio);
    QFETCH(QList<int>, expected);
    const StackLayout l = layoutStack(design(statusTop, 900), ratio);
    QCOMPARE(l.screenArea, float(expected[0]));
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
    const auto row = [](const char* name, int bounds, float area, int at, const QList<int>& expected,
                        float ratio) { QTest::newRow(name) << bounds << area << at << expected << ratio; };
    row("dropped without moving: 137, six short of the space above", 60, 253, 210, {210, 137, 143},
        137 / 253.0f);
    row("dragged over the control bands: held at three lines", 60, 253, 20, {133, 60, 220}, 60 / 253.0f);
    row("dragged over the status band: held at three lines", 60, 253, 400, {293, 220, 60}, 220 / 253.0f);
    row("window too small for both: the receive screen wins", 150, 253, 250, {223, 150, 130}, 150 / 253.0f);
    row("no counted area: the ratio stays", 60, 0, 200, {200, 127, 153}, 0.5f);
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
    QCOMPARE(QList({d.splitterTop, d.receiveHeight, d.transmitHeight, d.transmitTop}),
             expected << expected[0] + 3);
    QCOMPARE(d.splitRatio, ratio);
}

QTEST_APPLESS_MAIN(ScreenLayoutTest)
#include "screen_layout_test.moc"
