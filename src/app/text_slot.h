#pragma once
// A fixed 256-byte text slot: 8-bit text, a zero byte, then bytes that carry
// no meaning but must survive a load/save round trip untouched.

#include <QByteArray>

#include <cstddef>
#include <cstring>
#include <string_view>

struct TextSlot {
    static constexpr std::size_t Size = 256;
    static constexpr std::size_t MaxText = Size - 1;

    char bytes[Size] = {};

    // Writes the characters and one terminator, cut at 255 characters; the
    // bytes after the terminator stay as they were.
    void store(std::string_view text)
    {
        const std::size_t n = text.size() < MaxText ? text.size() : MaxText;
        if (n)
            std::memcpy(bytes, text.data(), n);
        bytes[n] = 0;
    }

    // The text up to the first zero byte; a slot that holds no zero at all
    // yields its first 255 bytes, so a damaged file can never run off the end.
    std::string_view text() const { return {bytes, ::strnlen(bytes, MaxText)}; }

    bool empty() const { return bytes[0] == 0; }
};

static_assert(sizeof(TextSlot) == 256);

// A slot's text as bytes, and bytes into a slot (cut at 255).
inline QByteArray slotBytes(const TextSlot& slot)
{
    const std::string_view text = slot.text();
    return QByteArray(text.data(), qsizetype(text.size()));
}

inline void storeBytes(TextSlot& slot, const QByteArray& bytes)
{
    slot.store(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}
