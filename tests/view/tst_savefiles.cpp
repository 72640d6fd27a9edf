// Saving on its own: writing pieces over an older file, or failing with a
// message and no file.
#include "view/parts/savefiles.h"
#include "viewsandbox.h"

class TestSaveFiles : public QObject
{
    Q_OBJECT

private slots:
    void writesPiecesOrFailsWithoutAFile()
    {
        const CViewSandbox sandbox;
        const MessageBoxWatcher watcher; // a failing write must not wait for the user
        const QString saved = sandbox.Path(QStringLiteral("saved.dat"));
        QVERIFY(WriteFileBytes(saved, "old and longer"));
        const CSaveFiles files;
        QVERIFY(files.Write(saved, {"ab", "", QByteArrayView("\0\r\n", 3)}));
        QCOMPARE(FileBytes(saved), QByteArray("ab\0\r\n", 5));
        QVERIFY(watcher.Texts().isEmpty());

        const QString missing = sandbox.Path(QStringLiteral("no folder/saved.dat"));
        QVERIFY(!files.Write(missing, {"ab"}));
        QCOMPARE(watcher.Texts().size(), 1);
        QVERIFY(watcher.Texts().at(0).contains(missing));
        QVERIFY(!QFile::exists(missing));
    }
};

QTEST_MAIN(TestSaveFiles)
#include "tst_savefiles.moc"
