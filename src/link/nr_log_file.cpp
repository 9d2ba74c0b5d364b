#include "nr_log_file.h"

#include <QDateTime>
#include <QFileInfo>

TnrLogFile::TnrLogFile(QObject* parent)
    : QObject(parent)
{
}

void TnrLogFile::SetFileName(const QString& path)
{
    file_.close();
    fileName_ = path;
}

void TnrLogFile::rotateIfFull()
{
    if (file_.isOpen() && file_.size() < limitBytes_)
        return;
    file_.close();
    if (QFile::exists(fileName_) && QFileInfo(fileName_).size() >= limitBytes_) {
        const QString old = fileName_ + QStringLiteral(".old");
        QFile::remove(old);
        QFile::rename(fileName_, old);
    }
    file_.setFileName(fileName_);
    // A missing program folder is not created here; the trace then lives in
    // the status memo only.
    file_.open(QIODevice::Append | QIODevice::WriteOnly);
}

void TnrLogFile::Log(const QString& line)
{
    const QString stamped =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz ")) + line;
    if (!fileName_.isEmpty()) {
        rotateIfFull();
        if (file_.isOpen()) {
            file_.write(stamped.toLocal8Bit() + '\n');
            file_.flush(); // safe mode: a crash loses no line
        }
    }
    emit lineLogged(line);
}
