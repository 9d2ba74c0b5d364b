#pragma once
// The TNC commands of the beacon and the limits that keep each of them
// inside its 256-byte command slot.

#include <QByteArray>

// "BTEXT " leaves 249 characters of the slot for the beacon text.
constexpr int MaxBeaconText = 249;
// "BEACON EVERY " leaves 242 characters for the interval text.
constexpr int MaxIntervalText = 242;

// "BTEXT " and the text, cut to what the slot holds.
QByteArray beaconTextCommand(const QByteArray& text);
// "BEACON EVERY " and the period as typed, cut the same way.
QByteArray beaconEveryCommand(const QByteArray& period);

// True for a whole 32-bit number written in decimal (an optional sign, then
// digits, nothing else) of at most MaxIntervalText characters.
bool isIntervalText(const QByteArray& text);
