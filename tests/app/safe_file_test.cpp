// Replacing a file: a failure at any point leaves the old file as it was, in
// place too; links, permission bits and read-only folders are respected. The
// checks run as an ordinary user (root ignores permission bits), so under
// root the writes are made as "nobody".

#include "app/safe_file.h"
#include "file_bytes.h"
#include "refused_writes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct stat statOf(const QString& path, bool followLink = true)
{
    struct stat st = {};
    const QByteArray p = QFile::encodeName(path);
    if ((followLink ? ::stat(p.constData(), &st) : ::lstat(p.constData(), &st)) != 0)
        st.st_ino = 0;
    return st;
}

} // namespace

class SafeFileTest : public QObject {
    Q_OBJECT
private slots:
    void replace_data()
    {
        QTest::addColumn<int>("oldSize");    // -1: no file yet
        QTest::addColumn<int>("fileMode");   // of the old file
        QTest::addColumn<int>("folderMode"); // of the folder the settings path is in
        QTest::addColumn<QString>("link");   // the path links to a file "beside" it, "elsewhere" or /dev/null
        QTest::addColumn<int>("sizeLimit");  // bytes any write may reach; 0 for none
        QTest::addColumn<QString>("result"); // "renamed", "in place", "failed", "failed in place"
        const auto row = [](const char* name, int oldSize, int fileMode, int folderMode, const char* link,
                            int limit, const char* result) {
            QTest::newRow(name) << oldSize << fileMode << folderMode << link << limit << result;
        };
        row("new file in a writable folder", -1, 0, 0755, "", 0, "renamed");
        row("old file replaced, mode 0640 kept", 1000, 0640, 0755, "", 0, "renamed");
        row("longer old file replaced, mode 0604 kept", 400000, 0604, 0755, "", 0, "renamed");
        row("link beside its file: link kept, file replaced", 1000, 0600, 0755, "beside", 0, "renamed");
        row("link in a read-only folder to a file elsewhere", 1000, 0600, 0555, "elsewhere", 0, "renamed");
        row("read-only folder, writable file: old tail cut", 400000, 0644, 0555, "", 0, "in place");
        row("read-only folder and file: nothing changes", 1000, 0444, 0555, "", 0, "failed in place");
        row("failing write: the old file stays, nothing left behind", 1000, 0644, 0755, "", 4096, "failed");
        // In place the bytes the write covered are put back.
        row("failing write in place: old file put back", 400000, 0644, 0555, "", 4096, "failed in place");
        row("failing longer write in place: old file put back, old length", 1000, 0644, 0555, "", 4096,
            "failed in place");
        row("link to a device: nothing written to it or over it", -1, 0, 0755, "/dev/null", 0, "failed");
    }

    void replace()
    {
        QFETCH(int, oldSize);
        QFETCH(int, fileMode);
        QFETCH(QString, link);
        QFETCH(int, sizeLimit);
        QFETCH(QString, result);
        QFETCH(int, folderMode);
        const bool ok = !result.startsWith("failed"), inPlace = result.endsWith("in place");
        QTemporaryDir top;
        QVERIFY(::chmod(QFile::encodeName(top.path()).constData(), 0755) == 0); // reachable for nobody
        const QString folder = top.filePath(QStringLiteral("home"));
        const QString elsewhere = top.filePath(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkpath(folder) && QDir().mkpath(elsewhere));
        giveToOrdinaryUser(folder);
        giveToOrdinaryUser(elsewhere);
        const QString path = folder + QStringLiteral("/Quillmar.cfg");
        const QString target = link == "beside" ? folder + QStringLiteral("/real.cfg")
            : link == "elsewhere"               ? elsewhere + QStringLiteral("/Quillmar.cfg")
            : link.isEmpty()                    ? path
                                                : link;
        const QByteArray old(qMax(oldSize, 0), 'o');
        if (oldSize >= 0) {
            QVERIFY(writeFile(target, old));
            giveToOrdinaryUser(target);
            QVERIFY(::chmod(QFile::encodeName(target).constData(), mode_t(fileMode)) == 0);
        }
        if (!link.isEmpty()) {
            QVERIFY(QFile::link(link == "beside" ? QStringLiteral("real.cfg") : target, path));
            giveToOrdinaryUser(path);
        }
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), mode_t(folderMode)) == 0);
        const ino_t oldInode = statOf(target).st_ino;
        const auto entries = [&] {
            return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
        };
        const QStringList entriesBefore = entries();

        const QByteArray fresh = pattern(313985, 5);
        SafeWriteResult r;
        {
            const RefusedWrites user{rlim_t(sizeLimit)};
            r = replaceFileSafely(
                QFile::encodeName(path).toStdString(),
                std::span(reinterpret_cast<const std::uint8_t*>(fresh.constData()), fresh.size()));
        }
        ::chmod(QFile::encodeName(folder).constData(), 0755);

        QCOMPARE(r.ok, ok);
        QCOMPARE(r.inPlace, inPlace);
        QCOMPARE(r.error.empty(), ok);
        QVERIFY(readFile(target) == (ok ? fresh : old));
        // The operator is told in the system's words.
        QCOMPARE(QString::fromStdString(r.reason),
                 ok                   ? QString()
                     : sizeLimit      ? QStringLiteral("File too large")
                     : link.isEmpty() ? QStringLiteral("Permission denied")
                                      : QStringLiteral("it is not a plain file"));
        if (oldSize >= 0) {
            QCOMPARE(int(statOf(target).st_mode & 07777), fileMode);
            QCOMPARE(statOf(target).st_ino == oldInode, inPlace || !ok); // replaced by rename, or where it is
        }
        if (!link.isEmpty())
            QVERIFY(S_ISLNK(statOf(path, false).st_mode));
        // No temporary file is left beside the settings.
        QStringList entriesAfter = entries();
        if (oldSize < 0 && link.isEmpty())
            entriesAfter.removeOne(QStringLiteral("Quillmar.cfg"));
        QCOMPARE(entriesAfter, entriesBefore);
        QCOMPARE(QDir(elsewhere).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
                 link == "elsewhere");
    }
};

QTEST_APPLESS_MAIN(SafeFileTest)
#include "safe_file_test.moc"
