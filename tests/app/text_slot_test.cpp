// The store rule of fixed text slots: settings files must round-trip byte for byte, so storing never
// touches the bytes after the terminator, and a text never overruns the slot.

#include "app/text_slot.h"

#include <QTest>

class TextSlotTest : public QObject {
    Q_OBJECT
private slots:
    void store_data()
    {
        QTest::addColumn<QByteArray>("before"); // earlier content of the slot, then 'Z' bytes
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>(
            "kept"); // characters of `text` stored; then a zero byte, then `before` untouched
        QTest::newRow("short text over longer one keeps the tail")
            << QByteArray("ABCDEFGH") << QByteArray("xy") << 2;
        QTest::newRow("empty text writes only the terminator") << QByteArray("ABCD") << QByteArray() << 0;
        QTest::newRow("255 characters fit exactly") << QByteArray() << QByteArray(255, 'a') << 255;
        QTest::newRow("longer text is cut at 255") << QByteArray() << QByteArray(300, 'x') << 255;
    }
    void store()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, text);
        QFETCH(int, kept);
        TextSlot slot;
        std::memset(slot.bytes, 'Z', sizeof slot.bytes);
        std::memcpy(slot.bytes, before.constData(), size_t(before.size()));
        const QByteArray original(slot.bytes, sizeof slot.bytes);
        slot.store(std::string_view(text.constData(), size_t(text.size())));
        QCOMPARE(QByteArray(slot.text().data(), int(slot.text().size())), text.left(kept));
        QCOMPARE(QByteArray(slot.bytes, sizeof slot.bytes), text.left(kept) + '\0' + original.mid(kept + 1));
        QCOMPARE(slot.empty(), kept == 0);
        // A damaged settings file may hold a slot with no zero byte at all.
        std::memset(slot.bytes, 'q', sizeof slot.bytes);
        QCOMPARE(int(slot.text().size()), 255);
    }
};

QTEST_APPLESS_MAIN(TextSlotTest)
#include "text_slot_test.moc"
