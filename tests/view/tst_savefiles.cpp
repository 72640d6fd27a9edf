// Saving on its own: the numbered name suggested for the send box, and
// writing pieces to a file or failing with a message and no file.
#include "view/savefiles.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestSaveFiles : public QObject
{
    Q_OBJECT

private slots:
    // The number advances only once a name was confirmed.
    void suggestedSendFileNames()
    {
        CSaveFiles files;
        QStringList suggested;
        QStringList answers = {"", "a", "", "b", "c"};
        files.SetChooser([&](const QString &name) {
            suggested << name;
            return answers.takeFirst();
        });
        while (!answers.isEmpty())
            files.ChooseSendFile();
        QCOMPARE(suggested, QStringList({"senddata0.dat", "senddata0.dat", "senddata1.dat",
                                         "senddata1.dat", "senddata2.dat"}));
    }

    void writesPiecesOrFailsWithoutAFile()
    {
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("saved.dat"));
        QFile old(saved);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old and longer") > 0);
        old.close();
        CSaveFiles files;
        QVERIFY(files.Write(saved, {"ab", "", QByteArrayView("\0\r\n", 3)}));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("ab\0\r\n", 5));

        QStringList messages;
        QTimer answer;
        answer.callOnTimeout([&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                messages << box->text();
                box->done(QMessageBox::Ok);
            }
        });
        answer.start(10);
        const QString missing = dir.filePath(QStringLiteral("no folder/saved.dat"));
        QVERIFY(!files.Write(missing, {"ab"}));
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages.at(0).contains(missing));
        QVERIFY(!QFile::exists(missing));
    }
};

QTEST_MAIN(TestSaveFiles)
#include "tst_savefiles.moc"
