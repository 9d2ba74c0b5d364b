// The store rule of fixed text slots: settings files must round-trip byte
// for byte, so storing never touches the bytes after the terminator, and a
// text never overruns the slot.

#include "app/text_slot.h"

#include <QTest>

#include <string>

class TextSlotTest : public QObject {
    Q_OBJECT
private slots:
    void store_data();
    void store();
    void readsSlotWithoutTerminator();
};

void TextSlotTest::store_data()
{
    QTest::addColumn<QByteArray>("before");  // earlier content of the slot
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expectedText");
    QTest::addColumn<int>("firstUntouched"); // bytes from here on keep `before`

    const QByteArray long300(300, 'x');
    QTest::newRow("short text over longer one keeps the tail") << QByteArray("ABCDEFGH") << QByteArray("xy")
                                                               << QByteArray("xy") << 3;
    QTest::newRow("empty text writes only the terminator") << QByteArray("ABCD") << QByteArray() << QByteArray()
                                                           << 1;
    QTest::newRow("255 characters fit exactly") << QByteArray() << QByteArray(255, 'a') << QByteArray(255, 'a')
                                                << 256;
    QTest::newRow("longer text is cut at 255") << QByteArray() << long300 << QByteArray(255, 'x') << 256;
    QTest::newRow("8-bit characters are kept") << QByteArray("zzzz") << QByteArray("\xe9\xff") << QByteArray("\xe9\xff")
                                               << 3;
}

void TextSlotTest::store()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expectedText);
    QFETCH(int, firstUntouched);

    TextSlot slot;
    std::memset(slot.bytes, 0x5A, sizeof slot.bytes);
    std::memcpy(slot.bytes, before.constData(), size_t(before.size()));
    TextSlot original = slot;

    slot.store(std::string_view(text.constData(), size_t(text.size())));

    QCOMPARE(QByteArray(slot.text().data(), int(slot.text().size())), expectedText);
    QCOMPARE(slot.bytes[expectedText.size()], '\0');
    for (int i = firstUntouched; i < 256; ++i)
        QVERIFY2(slot.bytes[i] == original.bytes[i], qPrintable(QStringLiteral("byte %1 changed").arg(i)));
    QCOMPARE(slot.empty(), expectedText.isEmpty());
}

void TextSlotTest::readsSlotWithoutTerminator()
{
    // A damaged settings file may hold a slot with no zero byte at all.
    TextSlot slot;
    std::memset(slot.bytes, 'q', sizeof slot.bytes);
    QCOMPARE(int(slot.text().size()), 255);
}

QTEST_APPLESS_MAIN(TextSlotTest)
#include "text_slot_test.moc"
