// Which copy of a data file the program uses: its own folder's first, then
// the installed one, else the own folder's name so the failure names it.

#include "app/program_folder.h"
#include "file_bytes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class ProgramFolderTest : public QObject {
    Q_OBJECT
private slots:
    void chooseDataFile_data()
    {
        QTest::addColumn<QStringList>("present"); // folders that hold a copy
        QTest::addColumn<QString>("expectedFolder");
        QTest::newRow("own copy wins over the installed one") << QStringList{"own/", "share/"} << "own/";
        QTest::newRow("only the installed copy") << QStringList{"share/"} << "share/";
        QTest::newRow("neither: the own folder's name") << QStringList{} << "own/";
    }
    void chooseDataFile()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, expectedFolder);
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath("own")) && QDir().mkpath(dir.filePath("share")));
        for (const QString& folder : present)
            QVERIFY(writeFile(dir.filePath(folder + "ringin.wav"), "RIFF"));
        QCOMPARE(::chooseDataFile("ringin.wav", dir.filePath("own/"), dir.filePath("share/")),
                 dir.filePath(expectedFolder) + "ringin.wav");
    }
};

QTEST_GUILESS_MAIN(ProgramFolderTest)
#include "program_folder_test.moc"
