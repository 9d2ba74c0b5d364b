#include "log_file.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

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

namespace {

// Creates `path` (never an existing file) holding `bytes`, synced; on failure
// nothing of it is left and the system's words are returned.
std::optional<QString> createWhole(const QString& path, const QByteArray& bytes)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    qsizetype done = 0;
    int err = 0;
    while (done < bytes.size() && err == 0) {
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n == 0 || errno != EINTR)
            err = n == 0 ? EIO : errno;
    }
    if (err == 0 && ::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0)
        return std::nullopt;
    ::unlink(name.constData());
    return QString::fromLocal8Bit(std::strerror(err));
}

} // namespace

QString writeRescueLog(const QByteArray& bytes, const QStringList& folders, const QDateTime& at,
                       QString* problems)
{
    const QString name =
        QStringLiteral("Quillmar-log-rescue-%1.txt").arg(at.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    QStringList refused;
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue;
        const QString path = QDir(folder).filePath(name);
        const std::optional<QString> problem = createWhole(path, bytes);
        if (!problem)
            return path;
        refused << QStringLiteral("%1: %2").arg(path, *problem);
    }
    *problems = refused.join(QStringLiteral("; "));
    return {};
}
