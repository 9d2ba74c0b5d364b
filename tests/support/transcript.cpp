#include "transcript.h"

QString printable(const QByteArray& bytes)
{
    QString out;
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 32 && c < 127 && c != '<')
            out += QLatin1Char(static_cast<char>(c));
        else
            out += QStringLiteral("<%1>").arg(c);
    }
    return out;
}
