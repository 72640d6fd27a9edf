// The "UserCmds" section of the configuration file: loading (the count
// limit, the value notations, the question about a faulty
// entry), the written value form, and saving a confirmed command list.
#include "config/inifile.h"
#include "convert/boxtext.h"
#include "messageboxwatcher.h"
#include "stringtable.h"
#include "usercmd/usercmdsave.h"
#include "usercmd/usercmdstore.h"
#include "usercmd/usercmdvalue.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <vector>

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

using Row = CUserCmdCfgDlg::tagUSER_CMD_STR;

std::vector<uint8_t> ValueBytes(const QString &value, ConvResult *result = nullptr)
{
    ByteString out;
    const ConvResult count = UserCmdBytesFromValue(value, out);
    if (result)
        *result = count;
    return count > 0 ? std::vector<uint8_t>(out.data(), out.data() + count)
                     : std::vector<uint8_t>();
}

std::filesystem::path PathIn(const QTemporaryDir &dir, const char *name = "rvcfg.ini")
{
    return dir.filePath(QString::fromLatin1(name)).toStdString();
}

QList<Row> NumberedRows(int count)
{
    QList<Row> rows;
    for (int i = 1; i <= count; ++i)
        rows.append({QString::fromUtf8("命令%1").arg(i), QStringLiteral("0%1,0A").arg(i)});
    return rows;
}
} // namespace

class TestUserCmdFile : public QObject
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

    void valueNotations_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("bytes");
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
        // Yes deletes both entries' keys; the file is rewritten in its form.
        const QByteArray after = " [UserCmds]\r\n CmdCnt=3\r\n CmdName2=ok\r\n CmdValue2=1B\r\n";
        QCOMPARE(ReadIni(), answer ? after : before);
    }

    void valueFormRoundTrips()
    {
        std::vector<uint8_t> every(256);
        for (int i = 0; i < 256; ++i)
            every[std::size_t(i)] = uint8_t(i);
        const QString written = UserCmdValueFromBytes(every);
        QVERIFY(written.startsWith(QStringLiteral("00,01,02")));
        QVERIFY(written.endsWith(QStringLiteral(",FE,FF")));
        QCOMPARE(ValueBytes(written), every);

        QCOMPARE(UserCmdValueFromBytes(std::vector<uint8_t>{0x1B, 0x40, 0x0A}),
                 QStringLiteral("1B,40,0A"));
        QCOMPARE(UserCmdValueFromBytes({}), QString());

        ConvResult result = 0;
        QVERIFY(ValueBytes(QStringLiteral(" ,; "), &result).empty());
        QCOMPARE(result, ConvResult(0));
        ValueBytes(QString::fromUtf8("1B,é"), &result);
        QVERIFY(IsConvError(result));
        QCOMPARE(ConvErrorIndex(result), std::size_t(3));
    }

    // Sections and keys in descending order, the comment on the header.
    void shorterListLeavesOldKeysBehindCount()
    {
        const std::filesystem::path ini = PathIn(m_dir);
        QVERIFY(CreateIniFile(ini) && WriteIniValue(ini, "RVConfigs", "SelPort", "2"));
        QVERIFY(SaveUserCommandRows(nullptr, ini, NumberedRows(5)));
        const QList<Row> two = {{QStringLiteral("Init"), QStringLiteral("1B,40")},
                                {QStringLiteral("Empty"), QString()}};
        QVERIFY(SaveUserCommandRows(nullptr, ini, two));
        ByteString comment;
        GbkFromBoxText(LoadString(IDS_USER_CMDS_COMMENT), comment);
        const QByteArray command = "\xC3\xFC\xC1\xEE"; // 命令 in GBK
        QCOMPARE(ReadIni(), QByteArray(comment.c_str()) +
                                "\r\n [UserCmds]\r\n CmdValue5=05,0A\r\n"
                                " CmdValue4=04,0A\r\n CmdValue3=03,0A\r\n CmdValue2=\r\n"
                                " CmdValue1=1B,40\r\n CmdName5=" +
                                command + "5\r\n CmdName4=" + command +
                                "4\r\n CmdName3=" + command +
                                "3\r\n CmdName2=Empty\r\n CmdName1=Init\r\n CmdCnt=2\r\n"
                                " [RVConfigs]\r\n SelPort=2\r\n");
    }

    // A failed save reports, returns false and never throws away a file
    // the engine cannot read.
    void failuresAreReported()
    {
        MessageBoxWatcher watcher;
        QTemporaryDir dir;
        const std::filesystem::path nowhere = PathIn(dir, "missing/rvcfg.ini");
        QVERIFY(!SaveUserCommandRows(nullptr, nowhere, NumberedRows(2)));
        QVERIFY(!std::filesystem::exists(nowhere));

        const std::filesystem::path tooLarge = PathIn(dir, "large.ini");
        QVERIFY(CreateIniFile(tooLarge));
        std::filesystem::resize_file(tooLarge, kIniMaxFileSize + 1);
        QVERIFY(!SaveUserCommandRows(nullptr, tooLarge, NumberedRows(2)));
        QCOMPARE(std::filesystem::file_size(tooLarge), kIniMaxFileSize + 1);

        // A name the file cannot hold: the file keeps the list it had, whole.
        const std::filesystem::path ini = PathIn(m_dir);
        QVERIFY(SaveUserCommandRows(nullptr, ini, NumberedRows(2)));
        const QByteArray before = ReadIni();
        QVERIFY(!SaveUserCommandRows(nullptr, ini,
                                     {{"Init", "1B,40"}, {QStringLiteral("two\nlines"), "0A"}}));
        QCOMPARE(ReadIni(), before);

        const QString message = QStringLiteral("Can't Create Config Ini File!");
        QCOMPARE(watcher.Texts(), QStringList({message, message, message}));
    }

private:
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
        LoadUserCommandRecords(PathIn(m_dir), records, log.Prompts());
        return records;
    }

    QTemporaryDir m_dir;
};

QTEST_MAIN(TestUserCmdFile)
#include "tst_usercmdfile.moc"
