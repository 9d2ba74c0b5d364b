#include "log_file.h"

#include <cerrno>
#include <cstring>

QByteArray logFileHeader()
{
    return QByteArray("Quillmar Operations Log File\r\r", 30) + '\0';
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
