// Help > Help Topics hands the help file to the desktop's viewer, and only when the desktop has one.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "window_fixture.h"

#include "file_bytes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Writes "relative/path=content" entries under `root`.
void lay(const QString& root, const QStringList& files)
{
    for (const QString& entry : files) {
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        const QString path = root + QLatin1Char('/') + entry.left(eq);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QVERIFY(
            writeFile(path, entry.mid(eq + 1).replace(QLatin1String("\\n"), QLatin1String("\n")).toUtf8()));
    }
}

const QString Chm = QStringLiteral("application/vnd.ms-htmlhelp");
const QString ChmCache = QStringLiteral("sys/applications/mimeinfo.cache=[MIME Cache]\\n");
const QString Viewer = QStringLiteral("sys/applications/xchm.desktop=[Desktop Entry]\\nExec=xchm %f\\n");

} // namespace

class HelpAboutTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(QFile::link(QStringLiteral("/usr/share/mime"), mimeRoot_.filePath(QStringLiteral("mime"))));
    }
    void help_data();
    void help();

private:
    QTemporaryDir mimeRoot_;
};

void HelpAboutTest::help_data()
{
    QTest::addColumn<QStringList>("files"); // this test's desktop: its applications and associations
    QTest::addColumn<bool>("fileAtStart");  // the help file is there when the window is created
    QTest::addColumn<bool>("xdgOpen");      // an xdg-open on the PATH
    QTest::addColumn<bool>("opened");
    const QString cached = ChmCache + Chm + "=xchm.desktop;\\n";
    QTest::newRow("the cache names an installed viewer: handed to xdg-open")
        << QStringList{cached, Viewer} << true << true << true;
    QTest::newRow("no help file at start, even when added later")
        << QStringList{cached, Viewer} << false << true << false;
    QTest::newRow("xdg-open cannot be started") << QStringList{cached, Viewer} << true << false << false;
    QTest::newRow("the cache names a viewer that is gone") << QStringList{cached} << true << true << false;
    QTest::newRow("found under the type's alias")
        << QStringList{ChmCache + "application/x-chm=xchm.desktop;\\n", Viewer} << true << true << true;
    QTest::newRow("only another type has a viewer")
        << QStringList{ChmCache + "text/plain=xchm.desktop;\\n", Viewer} << true << true << false;
    QTest::newRow("the operator's default, vendor prefix as a subfolder")
        << QStringList{"home-config/mimeapps.list=[Default Applications]\\n" + Chm + "=kde-view.desktop\\n",
                       "home/applications/kde/view.desktop=x"}
        << true << true << true;
    QTest::newRow("removed by the operator")
        << QStringList{"home-config/mimeapps.list=[Removed Associations]\\n" + Chm + "=xchm.desktop;\\n",
                       cached, Viewer}
        << true << true << false;
    QTest::newRow("removed, but a second viewer added")
        << QStringList{"home-config/mimeapps.list=[Removed Associations]\\n" + Chm + "=xchm.desktop;\\n",
                       "sys-config/mimeapps.list=[Added Associations]\\n" + Chm +
                           "=xchm.desktop;o.desktop\\n",
                       Viewer, "sys/applications/o.desktop=x"}
        << true << true << true;
}

void HelpAboutTest::help()
{
    QFETCH(QStringList, files);
    QFETCH(bool, fileAtStart);
    QFETCH(bool, xdgOpen);
    QFETCH(bool, opened);
    QTemporaryDir desk; // its own applications, the system's MIME types
    const QString marker = desk.filePath(QStringLiteral("opened"));
    lay(desk.path(), files);
    if (xdgOpen) {
        lay(desk.path(), {"bin/xdg-open=#!/bin/sh\\nprintf %s \"$1\" >\"$M.t\"; /bin/mv \"$M.t\" \"$M\""});
        QFile::setPermissions(desk.filePath(QStringLiteral("bin/xdg-open")),
                              QFile::ReadOwner | QFile::ExeOwner);
    }
    for (const auto& [name, value] : {std::pair{"XDG_DATA_DIRS", QStringLiteral("sys:") + mimeRoot_.path()},
                                      {"XDG_DATA_HOME", QStringLiteral("home")},
                                      {"XDG_CONFIG_HOME", QStringLiteral("home-config")},
                                      {"XDG_CONFIG_DIRS", QStringLiteral("sys-config")}})
        qputenv(name, (value.startsWith(u'/') ? value : desk.filePath(value)).toLocal8Bit());
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", desk.filePath(QStringLiteral("bin")).toLocal8Bit());
    qputenv("M", marker.toLocal8Bit());

    WindowFixture f;
    if (fileAtStart)
        lay(f.home(), {QStringLiteral("QuillmarHelp.chm=ITSF")});
    Ferrow->FormCreate();                                     // the window's creation step looks for the file
    lay(f.home(), {QStringLiteral("QuillmarHelp.chm=ITSF")}); // a file added later is not taken
    f.show();
    Ferrow->Help2Click();
    qputenv("PATH", path);

    if (!opened) {
        QCOMPARE(f.query.boxes, QStringList{QStringLiteral("Quillmar|Could not run the help application")});
        QCOMPARE(f.query.boxOwners, QList<QWidget*>{Ferrow});
        return;
    }
    QCOMPARE(f.query.boxes, QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 30000); // the viewer is not waited for
    QCOMPARE(QString::fromLocal8Bit(readFile(marker)), f.home() + QStringLiteral("QuillmarHelp.chm"));
}

QTEST_MAIN(HelpAboutTest)
#include "help_about_test.moc"
