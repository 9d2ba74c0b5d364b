#include "log_file.h"

#include <QFile>

#include <cerrno>
#include <cstring>

QByteArray logFileHeader()
{
    return QByteArray("Quillmar Operations Log File\r\r", 30) + '\0';
}

QByteArray screenLinesForFile(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

std::FILE* createLogFile(const QByteArray& path, QString* error)
{
    // Bytes as they are: no line-end translation.
    std::FILE* file = std::fopen(path.constData(), "wb");
    if (!file) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return nullptr;
    }
    const QByteArray header = logFileHeader();
    // Flushed at once, so the file holds the header while the log is on.
    if (std::fwrite(header.constData(), 1, std::size_t(header.size()), file) != std::size_t(header.size()) ||
        std::fflush(file) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        std::fclose(file);
        return nullptr;
    }
    return file;
}

bool writeLogFile(const QByteArray& path, const QByteArray& bytes, QString* error)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        *error = file.errorString();
        return false;
    }
    file.close();
    return true;
}
