// Help > Help Topics hands the help file to the desktop's viewer, and only
// when the desktop has one; Help > About Quillmar shows the one About box.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "docs/about_form.h"
#include "docs/about_picture.h"
#include "docs/desktop_open.h"
#include "window_fixture.h"

#include <QDir>

#include <algorithm>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Writes "relative/path=content" entries under `root`.
void lay(const QString& root, const QStringList& files)
{
    for (const QString& entry : files) {
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        const QString path = root + QLatin1Char('/') + entry.left(eq);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(entry.mid(eq + 1).replace(QLatin1String("\\n"), QLatin1String("\n")).toUtf8());
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
    void association_data();
    void association();
    void help_data();
    void help();
    void aboutBox();

private:
    QTemporaryDir mimeRoot_;
};

void HelpAboutTest::association_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("associated");

    QTest::newRow("nothing installed") << QStringList{} << false;
    QTest::newRow("the cache names an installed viewer")
        << QStringList{ChmCache + Chm + "=xchm.desktop;\\n", Viewer} << true;
    QTest::newRow("the cache names a viewer that is gone")
        << QStringList{ChmCache + Chm + "=xchm.desktop;\\n"} << false;
    QTest::newRow("found under the type's alias")
        << QStringList{ChmCache + "application/x-chm=xchm.desktop;\\n", Viewer} << true;
    QTest::newRow("only another type has a viewer")
        << QStringList{ChmCache + "text/plain=xchm.desktop;\\n", Viewer} << false;
    QTest::newRow("the operator's default, vendor prefix as a subfolder")
        << QStringList{"home-config/mimeapps.list=[Default Applications]\\n" + Chm + "=kde-view.desktop\\n",
                       "home/applications/kde/view.desktop=x"}
        << true;
    QTest::newRow("removed by the operator")
        << QStringList{"home-config/mimeapps.list=[Removed Associations]\\n" + Chm + "=xchm.desktop;\\n",
                       ChmCache + Chm + "=xchm.desktop;\\n", Viewer}
        << false;
    QTest::newRow("removed, but a second viewer added")
        << QStringList{"home-config/mimeapps.list=[Removed Associations]\\n" + Chm + "=xchm.desktop;\\n",
                       "sys-config/mimeapps.list=[Added Associations]\\n" + Chm +
                           "=xchm.desktop;o.desktop\\n",
                       Viewer, "sys/applications/o.desktop=x"}
        << true;
}

void HelpAboutTest::association()
{
    QFETCH(QStringList, files);
    QFETCH(bool, associated);
    QTemporaryDir root;
    lay(root.path(), files);
    XdgFolders folders;
    folders.config = {root.filePath(QStringLiteral("home-config")),
                      root.filePath(QStringLiteral("sys-config"))};
    folders.applications = {root.filePath(QStringLiteral("home/applications")),
                            root.filePath(QStringLiteral("sys/applications"))};
    QCOMPARE(hasAssociatedApplication({Chm, QStringLiteral("application/x-chm")}, folders), associated);
}

void HelpAboutTest::help_data()
{
    QTest::addColumn<bool>("fileAtStart");
    QTest::addColumn<bool>("viewer");
    QTest::addColumn<bool>("xdgOpen"); // an xdg-open on the PATH

    QTest::newRow("handed to xdg-open") << true << true << true;
    QTest::newRow("no help file at start, even when added later") << false << true << true;
    QTest::newRow("no viewer for its type") << true << false << true;
    QTest::newRow("xdg-open cannot be started") << true << true << false;
}

void HelpAboutTest::help()
{
    QFETCH(bool, fileAtStart);
    QFETCH(bool, viewer);
    QFETCH(bool, xdgOpen);
    QTemporaryDir desk; // this test's desktop: its own applications, the system's MIME types
    const QString marker = desk.filePath(QStringLiteral("opened"));
    lay(desk.path(),
        {xdgOpen
             ? QStringLiteral("bin/xdg-open=#!/bin/sh\\nprintf %s \"$1\" >\"$M.t\"; /bin/mv \"$M.t\" \"$M\"")
             : QStringLiteral("bin/readme=")});
    QFile::setPermissions(desk.filePath(QStringLiteral("bin/xdg-open")), QFile::ReadOwner | QFile::ExeOwner);
    if (viewer)
        lay(desk.path(), {ChmCache + Chm + "=xchm.desktop;\\n", Viewer});
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

    if (!(fileAtStart && viewer && xdgOpen)) {
        QCOMPARE(f.query.boxes, QStringList{QStringLiteral("Quillmar|Could not run the help application")});
        QCOMPARE(f.query.boxOwners, QList<QWidget*>{Ferrow});
        return;
    }
    QCOMPARE(f.query.boxes, QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 30000); // the viewer is not waited for
    QFile opened(marker);
    QVERIFY(opened.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLocal8Bit(opened.readAll()), f.home() + QStringLiteral("QuillmarHelp.chm"));
}

void HelpAboutTest::aboutBox()
{
    WindowFixture f;
    f.show();
    Ferrow->AboutGelvane1Click();
    Ferrow->AboutGelvane1Click();
    const QWidgetList all = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(all.begin(), all.end(),
                           [](QWidget* w) { return w->isVisible() && qobject_cast<TAboutForm*>(w); }),
             1);
    QCOMPARE(AboutForm->windowTitle(), QStringLiteral("About Quillmar"));
    QVERIFY(!(AboutForm->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(AboutForm->AboutMemo->toPlainText().endsWith(QLatin1String("\nVersion 1.30")));
    QCOMPARE(AboutForm->Image1->size(), QSize(173, 167));
    QCOMPARE(aboutPicture().format(), QImage::Format_Indexed8);
    QVERIFY(aboutPicture().colorCount() > 16); // a picture, not a blank

    QTest::mouseClick(AboutForm->AboutCloseBtn, Qt::LeftButton);
    QVERIFY(!AboutForm->isVisible());
    const QPoint moved = AboutForm->pos() + QPoint(10, 10); // the operator had moved it
    AboutForm->move(moved);
    Ferrow->AboutGelvane1Click();
    QVERIFY(AboutForm->isVisible());
    QCOMPARE(AboutForm->pos(), moved); // it keeps its state
}

QTEST_MAIN(HelpAboutTest)
#include "help_about_test.moc"
