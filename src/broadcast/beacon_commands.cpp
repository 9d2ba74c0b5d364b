#include "beacon_commands.h"

#include <algorithm>
#include <cctype>

QByteArray beaconTextCommand(const QByteArray& text)
{
    return "BTEXT " + text.left(MaxBeaconText);
}

QByteArray beaconEveryCommand(const QByteArray& period)
{
    return "BEACON EVERY " + period.left(MaxIntervalText);
}

bool isIntervalText(const QByteArray& text)
{
    if (text.isEmpty() || text.size() > MaxIntervalText)
        return false;
    const qsizetype digitsFrom = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (digitsFrom == text.size())
        return false;
    // toInt alone would also take surrounding blanks, which the TNC would not.
    if (!std::all_of(text.begin() + digitsFrom, text.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return false;
    bool ok = false;
    text.toInt(&ok, 10);
    return ok;
}
