#pragma once
// The serial layer's trace: a size-bounded file in the program folder,
// mirrored line by line into the status memo.

#include <QFile>
#include <QObject>
#include <QString>

class TnrLogFile : public QObject {
    Q_OBJECT
public:
    explicit TnrLogFile(QObject* parent = nullptr);

    // The trace file; an empty name keeps the trace in memory (memo) only.
    void SetFileName(const QString& path);
    QString GetFileName() const { return fileName_; }
    // Size limit in KiB: past it the file is moved to "<name>.old" (replacing
    // the older one) and begun afresh, so the trace never takes more than
    // twice the limit on disk.
    void SetSizeLimit(qint64 kib) { limitBytes_ = kib * 1024; }

    void Log(const QString& line);

signals:
    void lineLogged(const QString& line);

private:
    void rotateIfFull();

    QString fileName_;
    QFile file_;
    qint64 limitBytes_ = 4096 * 1024;
};
