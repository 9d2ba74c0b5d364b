#include "screen_file.h"

#include "app/safe_file.h"
#include "screens/line_pieces.h"
#include "screens/screen_memo.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextDocument>

QStringList screenLinesOf(const QByteArray& bytes)
{
    QStringList lines;
    QString line;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n')
                ++i;
            lines << line;
            line.clear();
        } else if (c != 0) {
            line += QChar(uchar(c));
        }
    }
    if (n > 0)
        lines << line;
    return lines;
}

QByteArray screenFileBytes(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines) {
        out += line.toLatin1();
        out += "\r\n";
    }
    return out;
}

QStringList screenLines(const QTextDocument& screen)
{
    QStringList lines;
    if (screen.isEmpty())
        return lines;
    // Each paragraph's own characters: the document's plain-text export would
    // turn a no-break space (byte 160) into a plain one.
    // A long received line held in several paragraphs is one line.
    for (QTextBlock block = screen.begin(); block.isValid(); block = block.next()) {
        if (continuesLine(block) && !lines.isEmpty())
            lines.last() += block.text();
        else
            lines << block.text();
    }
    return lines;
}

QByteArray screenFileOf(const QTextDocument& screen)
{
    QStringList lines = screenLines(screen);
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    return screenFileBytes(lines);
}

QStringList screenLines(const TScreenMemo& screen)
{
    const ReceivedArchive& archive = screen.archived();
    QStringList lines;
    archive.appendLines(lines);
    QStringList rest = screenLines(*screen.document());
    // The document's first line goes on with an open archived one; after a
    // closed one, an empty document is the empty line after its break.
    if (archive.endsOpen() && !rest.isEmpty())
        lines.last() += rest.takeFirst();
    else if (!archive.isEmpty() && rest.isEmpty())
        rest << QString();
    return lines + rest;
}

QByteArray screenFileOf(const TScreenMemo& screen)
{
    const ReceivedArchive& archive = screen.archived();
    QByteArray out;
    archive.appendFile(out);
    const QByteArray rest = screenFileOf(*screen.document());
    if (archive.endsOpen() && rest.isEmpty())
        out += "\r\n";
    return out + rest;
}

std::optional<QString> readWholeFile(const QString& path, QByteArray& bytes)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("it is a folder");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    // One byte more than allowed tells a file that is too large, even one
    // whose size the system does not know in advance (a pipe, a device).
    QByteArray all = file.read(MaxScreenFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    if (all.size() > MaxScreenFileBytes)
        return QStringLiteral("it is larger than %1 MB").arg(MaxScreenFileBytes / (1024 * 1024));
    bytes = std::move(all);
    return std::nullopt;
}

std::optional<QString> replaceFile(const QString& path, const QByteArray& bytes)
{
    const SafeWriteResult written = replaceFileSafely(
        QFile::encodeName(path).toStdString(),
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())));
    if (written.ok)
        return std::nullopt;
    return QString::fromLocal8Bit(written.reason);
}
