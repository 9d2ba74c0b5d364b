// Help > Help Topics hands the help file to the desktop's viewer, and only when the desktop has one; every
// link of the guide leads to a page compiled into it, and every page is in its contents.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "window_fixture.h"

#include "file_bytes.h"

#include <QDir>
#include <QRegularExpression>
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

const QString HelpSource = QStringLiteral(QUILLMAR_HELP_SOURCE);

// The files the help project compiles in, from its [FILES] section.
QStringList projectFiles()
{
    const QString project = QString::fromUtf8(readFile(HelpSource + "QuillmarHelp.hhp"));
    return project.section("[FILES]", 1).split('\n', Qt::SkipEmptyParts).replaceInStrings("\r", "");
}

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
    void guideLinks_data();
    void guideLinks();

private:
    QTemporaryDir mimeRoot_;
};

void HelpAboutTest::help_data()
{
    QTest::addColumn<QStringList>("files"); // this test's desktop: its applications and associations
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QString>("setup"); // "late": the help file comes after window creation; "no xdg-open"
    const auto row = [](const char* name, const QStringList& files, bool opened, const char* setup = "") {
        QTest::newRow(name) << files << opened << setup;
    };
    const QString cached = ChmCache + Chm + "=xchm.desktop;\\n";
    const QString removed = "home-config/mimeapps.list=[Removed Associations]\\n" + Chm + "=xchm.desktop;\\n";
    row("the cache names an installed viewer: handed to xdg-open", {cached, Viewer}, true);
    row("no help file at start, even when added later", {cached, Viewer}, false, "late");
    row("xdg-open cannot be started", {cached, Viewer}, false, "no xdg-open");
    row("the cache names a viewer that is gone", {cached}, false);
    row("found under the type's alias", {ChmCache + "application/x-chm=xchm.desktop;\\n", Viewer}, true);
    row("only another type has a viewer", {ChmCache + "text/plain=xchm.desktop;\\n", Viewer}, false);
    row("the operator's default, vendor prefix as a subfolder",
        {"home-config/mimeapps.list=[Default Applications]\\n" + Chm + "=kde-view.desktop\\n",
         "home/applications/kde/view.desktop=x"},
        true);
    row("removed by the operator", {removed, cached, Viewer}, false);
    row("removed, but a second viewer added",
        {removed, "sys-config/mimeapps.list=[Added Associations]\\n" + Chm + "=xchm.desktop;o.desktop\\n",
         Viewer, "sys/applications/o.desktop=x"},
        true);
}

void HelpAboutTest::help()
{
    QFETCH(QStringList, files);
    QFETCH(bool, opened);
    QFETCH(QString, setup);
    QTemporaryDir desk; // its own applications, the system's MIME types
    const QString marker = desk.filePath(QStringLiteral("opened"));
    lay(desk.path(), files);
    if (setup != "no xdg-open") {
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
    if (setup != "late")
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

void HelpAboutTest::guideLinks_data()
{
    QTest::addColumn<QString>("file");
    for (const QString& file : projectFiles() + QStringList{"toc.hhc", "index.hhk"})
        if (!file.endsWith(".css"))
            QTest::newRow(qPrintable(file)) << file;
}

void HelpAboutTest::guideLinks()
{
    QFETCH(QString, file);
    const QStringList compiled = projectFiles();
    const QString text = QString::fromUtf8(readFile(HelpSource + file));
    QVERIFY(!text.isEmpty());
    // Links (href) and the contents' and index's entries (Local); none leads outside the guide.
    static const QRegularExpression link(R"re((?:href|"Local" value)="([^"#]*))re");
    int links = 0;
    for (const QRegularExpressionMatch& m : link.globalMatch(text)) {
        const QString target = m.captured(1);
        QVERIFY2(compiled.contains(target),
                 qPrintable(file + " links to " + target + ", not in the help file"));
        QVERIFY2(QFile::exists(HelpSource + target), qPrintable(file + " links to missing " + target));
        ++links;
    }
    QVERIFY(links > 0);
    if (file.endsWith(".html")) {
        const QString toc = QString::fromUtf8(readFile(HelpSource + "toc.hhc"));
        QVERIFY2(toc.contains("\"Local\" value=\"" + file + '"'),
                 qPrintable(file + " is not in the contents"));
    }
}

QTEST_MAIN(HelpAboutTest)
#include "help_about_test.moc"
