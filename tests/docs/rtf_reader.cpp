#include "rtf_reader.h"

#include <QHash>

#include <algorithm>
#include <cctype>
#include <optional>

namespace {

enum class Dest { Body, Fonts, Colors, Skip };

struct State {
    Dest dest = Dest::Body;
    int font = -1, size = 24, color = 0, uc = 1;
    QString styles;
};

struct Reader {
    Reader(const QByteArray& rtf, bool skipUnicode)
        : in(rtf)
        , ignoreUnicode(skipUnicode)
    {
    }

    const QByteArray& in;
    bool ignoreUnicode;
    qsizetype pos = 0;
    QList<State> stack;
    ReadRtf out{{}, {{}}};
    QHash<int, QString> fonts;
    QList<int> colors;
    int deff = 0, fontNo = 0, skip = 0, rgb = -1;
    QString name;

    void fail(const QString& why)
    {
        if (out.problem.isEmpty())
            out.problem = why + QStringLiteral(" at byte %1").arg(pos);
    }

    void style(QChar letter, bool on)
    {
        QString& s = stack.last().styles;
        s.remove(letter);
        if (on)
            s += letter;
        std::sort(s.begin(), s.end());
    }

    void text(QChar c)
    {
        if (skip > 0) {
            --skip;
            return;
        }
        const State& s = stack.last();
        if (s.dest == Dest::Fonts) {
            if (c == QLatin1Char(';'))
                fonts[fontNo] = std::exchange(name, {}).trimmed();
            else
                name += c;
            return;
        }
        if (s.dest == Dest::Colors && c == QLatin1Char(';'))
            colors << std::exchange(rgb, -1);
        if (s.dest != Dest::Body)
            return;
        if ((s.color > 0 && s.color >= colors.size()) || !fonts.contains(s.font < 0 ? deff : s.font))
            fail(QStringLiteral("font or colour not in its table"));
        const ReadRun look{
            {}, fonts.value(s.font < 0 ? deff : s.font), s.size, colors.value(s.color, -1), s.styles};
        QList<ReadRun>& runs = out.paragraphs.last();
        if (!runs.isEmpty() && runs.last().font == look.font && runs.last().halfPoints == look.halfPoints &&
            runs.last().color == look.color && runs.last().styles == look.styles)
            runs.last().text += c;
        else
            runs << ReadRun{c, look.font, look.halfPoints, look.color, look.styles};
    }

    void word(const QByteArray& w, std::optional<int> param)
    {
        State& s = stack.last();
        const int v = param.value_or(1);
        if (w == "fonttbl")
            s.dest = Dest::Fonts;
        else if (w == "colortbl")
            s.dest = Dest::Colors;
        else if (w == "deff")
            deff = v;
        else if (w == "uc")
            s.uc = v;
        else if (w == "f")
            (s.dest == Dest::Fonts ? fontNo : s.font) = v;
        else if (w == "fs")
            s.size = v;
        else if (w == "cf")
            s.color = v;
        else if (w == "red" || w == "green" || w == "blue")
            rgb = std::max(rgb, 0) | (v & 255) << (w == "red" ? 16 : w == "green" ? 8 : 0);
        else if (w == "b" || w == "i" || w == "strike")
            style(QLatin1Char(w[0]), v != 0);
        else if (w == "ul" || w == "ulnone")
            style(QLatin1Char('u'), w == "ul" && v != 0);
        else if (w == "plain")
            s = State{s.dest, -1, 24, 0, s.uc, {}};
        else if (w == "par" && s.dest == Dest::Body)
            out.paragraphs.append(QList<ReadRun>{});
        else if (w == "line" || w == "tab")
            text(w == "tab" ? QChar(u'\t') : QChar::LineSeparator);
        else if (w == "u" && !ignoreUnicode) {
            text(QChar(char16_t(v))); // negative numbers are the upper half
            skip = s.uc;
        }
    }

    void escape()
    {
        const char c = in.at(pos);
        if (!std::isalpha(uchar(c))) {
            pos += c == '\'' ? 3 : 1;
            if (c == '\'')
                text(QChar(in.mid(pos - 2, 2).toInt(nullptr, 16)));
            else if (c == '\\' || c == '{' || c == '}')
                text(QLatin1Char(c));
            else if (c == '*')
                stack.last().dest = Dest::Skip;
            return;
        }
        const qsizetype start = pos;
        while (pos < in.size() && std::isalpha(uchar(in.at(pos))))
            ++pos;
        const QByteArray w = in.mid(start, pos - start);
        const qsizetype number = pos;
        if (pos < in.size() && in.at(pos) == '-')
            ++pos;
        while (pos < in.size() && std::isdigit(uchar(in.at(pos))))
            ++pos;
        const std::optional<int> param =
            pos > number ? std::optional(in.mid(number, pos - number).toInt()) : std::nullopt;
        if (pos < in.size() && in.at(pos) == ' ')
            ++pos; // the delimiter belongs to the word
        word(w, param);
    }

    void run()
    {
        if (!in.startsWith("{\\rtf1") ||
            std::any_of(in.begin(), in.end(), [](char c) { return uchar(c) > 127; }))
            fail(QStringLiteral("not 7-bit RTF 1"));
        int groups = 0;
        while (pos < in.size() && out.problem.isEmpty()) {
            const char c = in.at(pos++);
            if (c == '{') {
                groups += stack.isEmpty();
                stack << (stack.isEmpty() ? State{} : stack.last());
            } else if (c == '}') {
                if (stack.isEmpty())
                    fail(QStringLiteral("unbalanced }"));
                else
                    stack.removeLast();
                skip = 0;
            } else if (c == '\n' || c == '\r') {
            } else if (stack.isEmpty() || (c == '\\' && pos >= in.size())) {
                fail(QStringLiteral("text outside the document"));
            } else if (c == '\\') {
                escape();
            } else {
                text(QLatin1Char(c));
            }
        }
        if (!stack.isEmpty() || groups != 1)
            fail(QStringLiteral("not one closed document group"));
    }
};

} // namespace

QString ReadRtf::plainText() const
{
    QStringList lines;
    for (const QList<ReadRun>& p : paragraphs) {
        lines << QString();
        for (const ReadRun& r : p)
            lines.last() += r.text;
    }
    return lines.join(QLatin1Char('\n'));
}

const ReadRun* ReadRtf::runWith(const QString& text) const
{
    for (const QList<ReadRun>& p : paragraphs)
        for (const ReadRun& r : p)
            if (r.text.contains(text))
                return &r;
    return nullptr;
}

ReadRtf readRtf(const QByteArray& rtf, bool ignoreUnicode)
{
    Reader reader(rtf, ignoreUnicode);
    reader.run();
    return reader.out;
}
