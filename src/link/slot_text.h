#pragma once
// A fixed text slot's text as bytes, and bytes into a slot (cut at 255).

#include "app/text_slot.h"

#include <QByteArray>

#include <string_view>

inline QByteArray slotBytes(const TextSlot& slot)
{
    const std::string_view text = slot.text();
    return QByteArray(text.data(), qsizetype(text.size()));
}

inline void storeBytes(TextSlot& slot, const QByteArray& bytes)
{
    slot.store(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}
