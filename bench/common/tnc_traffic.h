#pragma once
// Realistic traffic from a busy packet channel, the same for every run.

#include <QByteArray>
#include <QRandomGenerator>

// Lines of 40 to 120 characters ended by CR LF, mostly text, now and then a
// BEL or another control byte and a few 8-bit bytes, as a busy channel gives.
inline QByteArray tncTraffic(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    static const char words[] = "N0CALL DE CQ QST 73 ARES EMCOMM net check-in traffic NR 12 R OK BK";
    QByteArray out;
    out.reserve(size + 128);
    while (out.size() < size) {
        const int length = int(random.bounded(40, 121));
        for (int i = 0; i < length; ++i) {
            const quint32 pick = random.bounded(1000);
            if (pick < 3)
                out += char(random.bounded(1, 7)); // line noise
            else if (pick < 6)
                out += char(random.bounded(128, 256));
            else
                out += words[random.bounded(int(sizeof words) - 1)];
        }
        if (random.bounded(50) == 0)
            out += '\a';
        out += "\r\n";
    }
    out.truncate(size);
    return out;
}
