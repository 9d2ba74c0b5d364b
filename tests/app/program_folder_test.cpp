// Which copy of a data file the program uses: its own folder's first, then
// the installed one, else the own folder's name so the failure names it.

#include "app/program_folder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class ProgramFolderTest : public QObject {
    Q_OBJECT
private slots:
    void chooseDataFile_data()
    {
        QTest::addColumn<bool>("inOwnFolder");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("expectedFolder");
        QTest::newRow("own copy wins over the installed one") << true << true << "own/";
        QTest::newRow("only the installed copy") << false << true << "share/";
        QTest::newRow("neither: the own folder's name") << false << false << "own/";
    }
    void chooseDataFile()
    {
        QFETCH(bool, inOwnFolder);
        QFETCH(bool, installed);
        QFETCH(QString, expectedFolder);
        QTemporaryDir dir;
        const QString own = dir.filePath(QStringLiteral("own/"));
        const QString share = dir.filePath(QStringLiteral("share/"));
        QDir().mkpath(own);
        QDir().mkpath(share);
        for (const auto& [present, folder] : {std::pair{inOwnFolder, own}, std::pair{installed, share}}) {
            if (!present)
                continue;
            QFile file(folder + QStringLiteral("ringin.wav"));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(::chooseDataFile(QStringLiteral("ringin.wav"), own, share),
                 dir.filePath(expectedFolder) + QStringLiteral("ringin.wav"));
    }
};

QTEST_GUILESS_MAIN(ProgramFolderTest)
#include "program_folder_test.moc"
