#include "received_archive.h"

#include <algorithm>
#include <utility>

namespace {
constexpr qsizetype ChunkBytes = 1 << 20;
} // namespace

void ReceivedArchive::clear()
{
    chunks_.clear();
    chunks_.shrink_to_fit();
    size_ = 0;
}

void ReceivedArchive::appendBytes(const char* data, qsizetype n)
{
    while (n > 0) {
        if (chunks_.empty() || chunks_.back().size() == ChunkBytes) {
            chunks_.emplace_back();
            chunks_.back().reserve(ChunkBytes);
        }
        QByteArray& last = chunks_.back();
        const qsizetype take = std::min(n, ChunkBytes - last.size());
        last.append(data, take);
        data += take;
        n -= take;
        size_ += take;
    }
}

void ReceivedArchive::append(QStringView characters)
{
    const QByteArray bytes = characters.toLatin1();
    appendBytes(bytes.constData(), bytes.size());
}

void ReceivedArchive::endLine()
{
    appendBytes("\n", 1);
}

void ReceivedArchive::truncate(qint64 size)
{
    const size_t keep = size_t((size + ChunkBytes - 1) / ChunkBytes);
    chunks_.resize(keep);
    if (keep > 0)
        chunks_.back().resize(qsizetype(size - qint64(keep - 1) * ChunkBytes));
    size_ = size;
}

QByteArray ReceivedArchive::bytesFrom(qint64 from) const
{
    QByteArray out;
    out.reserve(qsizetype(size_ - from));
    for (size_t c = size_t(from / ChunkBytes); c < chunks_.size(); ++c) {
        const qint64 chunkStart = qint64(c) * ChunkBytes;
        out.append(chunks_[c].constData() + std::max<qint64>(0, from - chunkStart),
                   chunks_[c].size() - std::max<qint64>(0, from - chunkStart));
    }
    return out;
}

QString ReceivedArchive::takeNewest(qint64 least)
{
    // The text taken starts where a line does, unless that is more than
    // `least` further back: a line of megabytes comes back a part at a time,
    // and what stays ends open.
    qint64 start = std::max<qint64>(0, size_ - least);
    const qint64 furthest = std::max<qint64>(0, start - least);
    while (start > furthest && chunks_[size_t((start - 1) / ChunkBytes)][(start - 1) % ChunkBytes] != '\n')
        --start;
    const QString text = QString::fromLatin1(bytesFrom(start));
    truncate(start);
    return text;
}

void ReceivedArchive::appendText(QString& out) const
{
    out.reserve(out.size() + size_);
    for (const QByteArray& chunk : chunks_)
        out += QLatin1StringView(chunk);
}

void ReceivedArchive::appendFile(QByteArray& out) const
{
    out.reserve(out.size() + size_ + size_ / 16);
    for (const QByteArray& chunk : chunks_) {
        qsizetype from = 0;
        for (qsizetype at = chunk.indexOf('\n'); at >= 0; from = at + 1, at = chunk.indexOf('\n', from)) {
            out.append(chunk.constData() + from, at - from);
            out.append("\r\n", 2);
        }
        out.append(chunk.constData() + from, chunk.size() - from);
    }
}

void ReceivedArchive::appendLines(QStringList& out) const
{
    QString line;
    for (const QByteArray& chunk : chunks_) {
        qsizetype from = 0;
        for (qsizetype at = chunk.indexOf('\n'); at >= 0; from = at + 1, at = chunk.indexOf('\n', from)) {
            line += QLatin1StringView(chunk.constData() + from, at - from);
            out << std::exchange(line, {});
        }
        line += QLatin1StringView(chunk.constData() + from, chunk.size() - from);
    }
    if (endsOpen())
        out << line;
}
