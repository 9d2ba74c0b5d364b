// The store rule of fixed text slots: settings files must round-trip byte
// for byte, so storing never touches the bytes after the terminator, and a
// text never overruns the slot.

#include "app/text_slot.h"

#include <QTest>

#include <string>

class TextSlotTest : public QObject {
    Q_OBJECT
private slots:
    void store_data()
    {
        QTest::addColumn<QByteArray>("before"); // earlier content of the slot, then 'Z' bytes
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("expectedText"); // then a zero byte, then `before` untouched
        QTest::newRow("short text over longer one keeps the tail")
            << QByteArray("ABCDEFGH") << QByteArray("xy") << QByteArray("xy");
        QTest::newRow("empty text writes only the terminator")
            << QByteArray("ABCD") << QByteArray() << QByteArray();
        QTest::newRow("255 characters fit exactly")
            << QByteArray() << QByteArray(255, 'a') << QByteArray(255, 'a');
        QTest::newRow("longer text is cut at 255")
            << QByteArray() << QByteArray(300, 'x') << QByteArray(255, 'x');
    }
    void store()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, expectedText);
        TextSlot slot;
        std::memset(slot.bytes, 'Z', sizeof slot.bytes);
        std::memcpy(slot.bytes, before.constData(), size_t(before.size()));
        const TextSlot original = slot;
        slot.store(std::string_view(text.constData(), size_t(text.size())));
        QCOMPARE(QByteArray(slot.text().data(), int(slot.text().size())), expectedText);
        const qsizetype end = expectedText.size();
        QCOMPARE(slot.bytes[end], '\0');
        QCOMPARE(QByteArray(slot.bytes + end + 1, 255 - end),
                 QByteArray(original.bytes + end + 1, 255 - end));
        QCOMPARE(slot.empty(), expectedText.isEmpty());
        // A damaged settings file may hold a slot with no zero byte at all.
        std::memset(slot.bytes, 'q', sizeof slot.bytes);
        QCOMPARE(int(slot.text().size()), 255);
    }
};

QTEST_APPLESS_MAIN(TextSlotTest)
#include "text_slot_test.moc"
