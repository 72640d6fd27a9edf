// Loading the "UserCmds" section: the count limit, skipped entries, the value
// notations and the question about a faulty entry.
#include "messageboxwatcher.h"
#include "stringtable.h"
#include "usercmdstore.h"

#include <QFile>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

using Records = QList<CUserCommandView::tagUSER_CMD_DATA>;

namespace {
// Prompts that note what they were asked and answer as told.
struct PromptLog
{
    int tooMany = 0;
    QList<int> asked;
    bool answer = false;

    UserCmdPrompts Prompts()
    {
        return {[this] { ++tooMany; },
                [this](int number) {
                    asked << number;
                    return answer;
                }};
    }
};

QByteArray Entry(int number, const QByteArray &name, const QByteArray &value)
{
    return "CmdName" + QByteArray::number(number) + "=" + name + "\r\nCmdValue" +
           QByteArray::number(number) + "=" + value + "\r\n";
}
} // namespace

class TestUserCmdStore : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void countLimit_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("loaded");
        QTest::newRow("200 is the limit") << 200 << 200;
        QTest::newRow("201 rejects all") << 201 << 0;
    }
    void countLimit()
    {
        QFETCH(int, count);
        QFETCH(int, loaded);
        QByteArray text = "[UserCmds]\r\nCmdCnt=" + QByteArray::number(count) + "\r\n";
        for (int i = 1; i <= count; ++i)
            text += Entry(i, "C" + QByteArray::number(i), QByteArray::number(i % 256, 16));
        WriteIni(text);
        PromptLog log;
        const Records records = Load(log);
        QCOMPARE(records.size(), loaded);
        QCOMPARE(log.tooMany, loaded == 0 ? 1 : 0);
        if (loaded > 0)
            QCOMPARE(records.last().strName, QStringLiteral("C200"));
        QCOMPARE(ReadIni(), text); // never written
    }

    // A missing name, an empty value and a missing value are passed over
    // silently; the count is read up to its first non-digit.
    void incompleteEntriesAreSkipped()
    {
        WriteIni("[UserCmds]\r\nCmdCnt= 5 entries\r\n" + Entry(1, "one", "01") +
                 "CmdValue2=02\r\n" + Entry(3, "three", "03") + Entry(4, "four", "") +
                 "CmdName5=five\r\n");
        PromptLog log;
        const Records records = Load(log);
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[0].strName, QStringLiteral("one"));
        QCOMPARE(records[1].strName, QStringLiteral("three"));
        QCOMPARE(records[1].data, QByteArray("\x03"));
        QVERIFY(log.asked.isEmpty());
        QCOMPARE(log.tooMany, 0);
    }

    void valueNotations_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("lone digit") << QByteArray("A") << QByteArray("\x0A");
        QTest::newRow("three digits are decimal") << QByteArray("255") << QByteArray("\xFF");
        QTest::newRow("mixed separators")
            << QByteArray("1b 40;0d,0a") << QByteArray("\x1B\x40\x0D\x0A");
        QTest::newRow("zero byte") << QByteArray("00") << QByteArray(1, '\0');
    }
    void valueNotations()
    {
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, bytes);
        // The caption is GBK in the file: 初始化 (initialise).
        WriteIni("[UserCmds]\r\nCmdCnt=1\r\n" + Entry(1, "\xB3\xF5\xCA\xBC\xBB\xAF", value));
        PromptLog log;
        const Records records = Load(log);
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].strName, QStringLiteral("初始化"));
        QCOMPARE(records[0].data, bytes);
        QVERIFY(log.asked.isEmpty());
    }

    void faultyEntryIsOfferedForDeletion_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("answer");
        QTest::newRow("input error, yes") << QByteArray("xyz") << true;
        QTest::newRow("input error, no") << QByteArray("xyz") << false;
        QTest::newRow("separators only, yes") << QByteArray(" ,;") << true;
    }
    void faultyEntryIsOfferedForDeletion()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, answer);
        const QByteArray good = Entry(2, "ok", "1B") + Entry(3, "bad too", "4G");
        const QByteArray before = "[UserCmds]\r\nCmdCnt=3\r\n" + Entry(1, "bad", value) + good;
        WriteIni(before);
        PromptLog log;
        log.answer = answer;
        const Records records = Load(log);
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].strName, QStringLiteral("ok"));
        QCOMPARE(log.asked, QList<int>({1, 3}));
        if (!answer) {
            QCOMPARE(ReadIni(), before);
            return;
        }
        const QByteArray after = ReadIni();
        for (const char *gone : {"CmdName1=", "CmdValue1=", "CmdName3=", "CmdValue3="})
            QVERIFY2(!after.contains(gone), gone);
        for (const char *kept : {"CmdCnt=3", "CmdName2=ok", "CmdValue2=1B"})
            QVERIFY2(after.contains(kept), kept);
    }

    void tooManyIsSaidInAMessageBox()
    {
        MessageBoxWatcher watcher;
        UserCmdPrompts::MessageBoxes(nullptr).tooManyCommands();
        QCOMPARE(watcher.Texts(), QStringList(QStringLiteral("Too Many User Commands!")));
    }

    // The demo folder's configuration gives working buttons at first start.
    void demoConfigurationLoads()
    {
        QCOMPARE(QProcess::execute(QStringLiteral(TARVIK_DEMOCFG), {m_dir.path()}), 0);
        PromptLog log;
        const Records records = Load(log);
        QVERIFY(log.asked.isEmpty());
        QCOMPARE(records.size(), 5);
        QCOMPARE(records[0].strName, QStringLiteral("初始化"));
        QCOMPARE(records[0].data, QByteArray("\x1B\x40"));
        QCOMPARE(records[3].data, QByteArray("Hello from Tarvik\r\n"));
        QCOMPARE(records[4].data, QByteArray("\x1D\x56\x00", 3));
        QVERIFY(
            QString(QStringDecoder("GBK")(ReadIni())).contains(LoadString(IDS_USER_CMDS_COMMENT)));
    }

private:
    std::filesystem::path IniFile() const
    {
        return m_dir.filePath(QStringLiteral("rvcfg.ini")).toStdString();
    }
    void WriteIni(const QByteArray &text)
    {
        QFile file(m_dir.filePath(QStringLiteral("rvcfg.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    QByteArray ReadIni() const
    {
        QFile file(m_dir.filePath(QStringLiteral("rvcfg.ini")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    Records Load(PromptLog &log)
    {
        Records records;
        LoadUserCommandRecords(IniFile(), records, log.Prompts());
        return records;
    }

    QTemporaryDir m_dir;
};

QTEST_MAIN(TestUserCmdStore)
#include "tst_usercmdstore.moc"
