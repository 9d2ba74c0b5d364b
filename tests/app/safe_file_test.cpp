// Replacing the settings file: a failure at any point leaves the old file as
// it was; links, permission bits and read-only folders are respected. The
// checks run as an ordinary user (root ignores permission bits), so under
// root the writes are made as "nobody".

#include "app/safe_file.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t Nobody = 65534;

// Root passes every permission check, so the write runs as "nobody"; writes
// beyond `limit` bytes of any file fail (EFBIG) while this lives.
struct AsOrdinaryUser {
    explicit AsOrdinaryUser(rlim_t limit = 0)
        : root(::geteuid() == 0)
    {
        ::getrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lower{limit, old.rlim_max};
        if ((limit && ::setrlimit(RLIMIT_FSIZE, &lower) != 0) ||
            (root && (::setegid(Nobody) != 0 || ::seteuid(Nobody) != 0)))
            qFatal("cannot restrict the writer");
    }
    ~AsOrdinaryUser()
    {
        if ((root && (::seteuid(0) != 0 || ::setegid(0) != 0)) || ::setrlimit(RLIMIT_FSIZE, &old) != 0)
            qFatal("cannot lift the restriction");
    }
    bool root;
    rlimit old{};
};

struct stat statOf(const QString& path, bool followLink = true)
{
    struct stat st = {};
    const QByteArray p = QFile::encodeName(path);
    if ((followLink ? ::stat(p.constData(), &st) : ::lstat(p.constData(), &st)) != 0)
        st.st_ino = 0;
    return st;
}

void giveToOrdinaryUser(const QString& path)
{
    if (::geteuid() == 0 && ::lchown(QFile::encodeName(path).constData(), Nobody, Nobody) != 0)
        qFatal("cannot hand %s to nobody", qPrintable(path));
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

class SafeFileTest : public QObject {
    Q_OBJECT
private slots:
    void replace_data();
    void replace();
    void leavesADeviceAlone();
};

void SafeFileTest::replace_data()
{
    QTest::addColumn<int>("oldSize");    // -1: no file yet
    QTest::addColumn<int>("fileMode");   // of the old file
    QTest::addColumn<int>("folderMode"); // of the folder the settings path is in
    QTest::addColumn<QString>("link");   // "": the path is the file; "beside", "elsewhere": a link to it
    QTest::addColumn<int>("sizeLimit");  // bytes any write may reach; 0 for none
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("inPlace");

    QTest::newRow("new file in a writable folder") << -1 << 0 << 0755 << "" << 0 << true << false;
    QTest::newRow("old file replaced, mode 0640 kept") << 1000 << 0640 << 0755 << "" << 0 << true << false;
    QTest::newRow("longer old file replaced, mode 0604 kept")
        << 400000 << 0604 << 0755 << "" << 0 << true << false;
    QTest::newRow("link beside its file: the link stays, the file is replaced")
        << 1000 << 0600 << 0755 << "beside" << 0 << true << false;
    QTest::newRow("link in a read-only folder to a file elsewhere")
        << 1000 << 0600 << 0555 << "elsewhere" << 0 << true << false;
    QTest::newRow("read-only folder, writable file: written in place, old tail cut")
        << 400000 << 0644 << 0555 << "" << 0 << true << true;
    QTest::newRow("read-only folder and file: nothing changes")
        << 1000 << 0444 << 0555 << "" << 0 << false << true;
    QTest::newRow("failing write: the old file stays, nothing left behind")
        << 1000 << 0644 << 0755 << "" << 4096 << false << false;
    // In place there is no old copy to fall back on; the file is at least
    // never emptied first, so what was not overwritten stays.
    QTest::newRow("failing write in place: the old file is not cut")
        << 400000 << 0644 << 0555 << "" << 4096 << false << true;
}

void SafeFileTest::replace()
{
    QFETCH(int, oldSize);
    QFETCH(int, fileMode);
    QFETCH(int, folderMode);
    QFETCH(QString, link);
    QFETCH(int, sizeLimit);
    QFETCH(bool, ok);
    QFETCH(bool, inPlace);

    QTemporaryDir top;
    QVERIFY(top.isValid());
    QVERIFY(::chmod(QFile::encodeName(top.path()).constData(), 0755) == 0); // reachable for nobody
    const QString folder = top.filePath(QStringLiteral("home"));
    const QString elsewhere = top.filePath(QStringLiteral("elsewhere"));
    QVERIFY(QDir().mkpath(folder) && QDir().mkpath(elsewhere));
    giveToOrdinaryUser(folder);
    giveToOrdinaryUser(elsewhere);

    const QString path = folder + QStringLiteral("/Quillmar.cfg");
    const QString target = link == QLatin1String("beside") ? folder + QStringLiteral("/real.cfg")
        : link == QLatin1String("elsewhere")               ? elsewhere + QStringLiteral("/Quillmar.cfg")
                                                           : path;
    QByteArray old(qMax(oldSize, 0), 'o');
    if (oldSize >= 0) {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(old);
        f.close();
        giveToOrdinaryUser(target);
        QVERIFY(::chmod(QFile::encodeName(target).constData(), mode_t(fileMode)) == 0);
    }
    if (!link.isEmpty()) {
        const QString linkText = link == QLatin1String("beside") ? QStringLiteral("real.cfg") : target;
        QVERIFY(QFile::link(linkText, path));
        giveToOrdinaryUser(path);
    }
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), mode_t(folderMode)) == 0);
    const ino_t oldInode = statOf(target).st_ino;
    const QStringList entriesBefore =
        QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);

    std::vector<std::uint8_t> fresh(313985);
    QRandomGenerator(5).fillRange(reinterpret_cast<quint32*>(fresh.data()), int(fresh.size() / 4));
    SafeWriteResult r;
    {
        const AsOrdinaryUser user{rlim_t(sizeLimit)};
        r = replaceFileSafely(QFile::encodeName(path).toStdString(), fresh);
    }
    ::chmod(QFile::encodeName(folder).constData(), 0755);

    QCOMPARE(r.ok, ok);
    QCOMPARE(r.inPlace, inPlace);
    QCOMPARE(r.error.empty(), ok);
    const QByteArray freshBytes(reinterpret_cast<const char*>(fresh.data()), int(fresh.size()));
    QByteArray expected = ok ? freshBytes : old;
    if (!ok && inPlace && sizeLimit)
        expected = freshBytes.left(sizeLimit) + old.mid(sizeLimit);
    const QByteArray now = readAll(target);
    QCOMPARE(now.size(), expected.size());
    QVERIFY(now == expected);
    if (oldSize >= 0) {
        QCOMPARE(int(statOf(target).st_mode & 07777), fileMode);
        // Replaced by rename, or overwritten where it is.
        QCOMPARE(statOf(target).st_ino == oldInode, inPlace || !ok);
    }
    if (!link.isEmpty())
        QVERIFY(S_ISLNK(statOf(path, false).st_mode));
    // No temporary file is left beside the settings.
    QStringList entriesAfter = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    if (oldSize < 0)
        entriesAfter.removeOne(QStringLiteral("Quillmar.cfg"));
    QCOMPARE(entriesAfter, entriesBefore);
    QCOMPARE(QDir(elsewhere).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
             link == QLatin1String("elsewhere") ? 1 : 0);
}

void SafeFileTest::leavesADeviceAlone()
{
    // A settings file linked to a device: nothing is written to it or over it.
    QTemporaryDir top;
    QVERIFY(::chmod(QFile::encodeName(top.path()).constData(), 0755) == 0);
    const QString path = top.filePath(QStringLiteral("Quillmar.cfg"));
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), path));
    const std::vector<std::uint8_t> bytes(313985, 1);
    const AsOrdinaryUser user;
    const SafeWriteResult r = replaceFileSafely(QFile::encodeName(path).toStdString(), bytes);
    QVERIFY(!r.ok);
    QVERIFY(S_ISCHR(statOf(QStringLiteral("/dev/null")).st_mode));
}

QTEST_APPLESS_MAIN(SafeFileTest)
#include "safe_file_test.moc"
