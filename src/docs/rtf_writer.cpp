#include "rtf_writer.h"

namespace {

// Fonts and colours are referred to by their index in the header's tables,
// so both are collected before the body is written.
struct Tables {
    QStringList fonts;      // index = \fN
    QList<unsigned> colors; // index + 1 = \cfN; \cf0 is the automatic colour

    int fontIndex(const QString& family)
    {
        int i = fonts.indexOf(family);
        if (i < 0) {
            fonts << family;
            i = int(fonts.size()) - 1;
        }
        return i;
    }
    int colorIndex(unsigned rgb)
    {
        int i = colors.indexOf(rgb);
        if (i < 0) {
            colors << rgb;
            i = int(colors.size()) - 1;
        }
        return i + 1;
    }
};

void appendHex(QByteArray& out, unsigned byte)
{
    out += "\\'";
    out += QByteArray::number(byte, 16).rightJustified(2, '0');
}

// One UTF-16 code unit of text. Characters from 128 up go as \uN (N signed 16
// bits, as RTF wants) with one fallback character after it (\uc1).
void appendChar(QByteArray& out, char16_t c)
{
    if (c == '\\' || c == '{' || c == '}') {
        out += '\\';
        out += char(c);
    } else if (c == '\t') {
        out += "\\tab ";
    } else if (c == 0x2028) {
        out += "\\line ";
    } else if (c < 32 || c == 127) {
        appendHex(out, c);
    } else if (c < 127) {
        out += char(c);
    } else {
        out += "\\u";
        out += QByteArray::number(c > 32767 ? int(c) - 65536 : int(c));
        // Latin-1 from 160 on is the same in the 1252 code page the header
        // names; 128..159 are control characters there, so they fall back to
        // '?', written as a hex escape too: after a literal '?' some readers
        // drop the character that follows.
        appendHex(out, c >= 160 && c <= 255 ? c : '?');
    }
}

void appendText(QByteArray& out, const QString& text)
{
    for (const QChar ch : text)
        appendChar(out, ch.unicode());
}

QByteArray fontTable(const QStringList& fonts)
{
    QByteArray out = "{\\fonttbl";
    for (int i = 0; i < fonts.size(); ++i) {
        out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 ";
        QString name = fonts[i];
        name.remove(QLatin1Char(';')); // the entry's terminator
        appendText(out, name);
        out += ";}";
    }
    return out + "}\n";
}

QByteArray colorTable(const QList<unsigned>& colors)
{
    QByteArray out = "{\\colortbl;";
    for (const unsigned rgb : colors)
        out += "\\red" + QByteArray::number((rgb >> 16) & 0xFF) + "\\green" +
            QByteArray::number((rgb >> 8) & 0xFF) + "\\blue" + QByteArray::number(rgb & 0xFF) + ';';
    return out + "}\n";
}

const char* alignmentWord(RtfAlignment a)
{
    switch (a) {
    case RtfAlignment::Center: return "\\qc";
    case RtfAlignment::Right: return "\\qr";
    case RtfAlignment::Justify: return "\\qj";
    case RtfAlignment::Left: break;
    }
    return "\\ql";
}

// Each run is a group of its own, so its look ends with it.
QByteArray runGroup(const RtfRun& run, Tables& tables)
{
    QByteArray out = "{\\f" + QByteArray::number(tables.fontIndex(run.family)) + "\\fs" +
        QByteArray::number(run.halfPoints > 0 ? run.halfPoints : 24);
    if (run.color)
        out += "\\cf" + QByteArray::number(tables.colorIndex(*run.color & 0xFFFFFF));
    if (run.bold)
        out += "\\b";
    if (run.italic)
        out += "\\i";
    if (run.underline)
        out += "\\ul";
    if (run.strikeOut)
        out += "\\strike";
    out += ' '; // ends the last control word; the text starts after it
    appendText(out, run.text);
    return out + '}';
}

} // namespace

QByteArray writeRtf(const RtfDocument& document)
{
    Tables tables;
    tables.fontIndex(document.defaultFamily);
    const QByteArray defaultLook =
        "\\f0\\fs" + QByteArray::number(document.defaultHalfPoints > 0 ? document.defaultHalfPoints : 24);

    QByteArray body;
    for (int i = 0; i < document.paragraphs.size(); ++i) {
        const RtfParagraph& p = document.paragraphs[i];
        body += "\\pard";
        body += alignmentWord(p.alignment);
        body += defaultLook;
        body += ' ';
        for (const RtfRun& run : p.runs)
            if (!run.text.isEmpty())
                body += runGroup(run, tables);
        // A paragraph mark ends every paragraph but the last, which the
        // document's end closes.
        if (i + 1 < document.paragraphs.size())
            body += "\\par";
        body += '\n';
    }

    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n";
    out += fontTable(tables.fonts);
    out += colorTable(tables.colors);
    out += "\\viewkind4" + defaultLook + '\n';
    out += body;
    return out + "}\n";
}
