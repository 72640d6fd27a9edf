// The written value form and the save of a confirmed command list into a
// real configuration file.
#include "boxtext.h"
#include "inifile.h"
#include "messageboxwatcher.h"
#include "stringtable.h"
#include "usercmdsave.h"
#include "usercmdvalue.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <vector>

namespace {

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

QString Read(const std::filesystem::path &ini, const char *key)
{
    return BoxTextFromGbk(ReadIniValue(ini, kUserCmdSection, key));
}

// The file's lines without their line ends.
QList<QByteArray> Lines(const std::filesystem::path &ini)
{
    QFile file(QString::fromStdString(ini.string()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    for (QByteArray &line : lines)
        line = line.trimmed();
    lines.removeAll(QByteArray());
    return lines;
}

QByteArray CommentLine()
{
    ByteString gbk;
    GbkFromBoxText(LoadString(IDS_USER_CMDS_COMMENT), gbk);
    return QByteArray(gbk.c_str());
}

QList<Row> NumberedRows(int count)
{
    QList<Row> rows;
    for (int i = 1; i <= count; ++i)
        rows.append({QString::fromUtf8("命令%1").arg(i), QStringLiteral("0%1,0A").arg(i)});
    return rows;
}

} // namespace

class TestUserCmdSave : public QObject
{
    Q_OBJECT

private slots:
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
        QCOMPARE(ValueBytes(QStringLiteral("1b 40;013,A")),
                 (std::vector<uint8_t>{0x1B, 0x40, 0x0D, 0x0A}));

        ConvResult result = 0;
        QVERIFY(ValueBytes(QStringLiteral(" ,; "), &result).empty());
        QCOMPARE(result, ConvResult(0));
        ValueBytes(QString::fromUtf8("1B,é"), &result);
        QVERIFY(IsConvError(result));
        QCOMPARE(ConvErrorIndex(result), std::size_t(3));
    }

    void shorterListLeavesOldKeysBehindCount()
    {
        QTemporaryDir dir;
        const std::filesystem::path ini = dir.filePath(QStringLiteral("rvcfg.ini")).toStdString();
        QVERIFY(CreateIniFile(ini) && WriteIniValue(ini, "RVConfigs", "SelPort", "2"));
        QVERIFY(SaveUserCommandRows(nullptr, ini, NumberedRows(5)));
        const QList<Row> two = {{QStringLiteral("Init"), QStringLiteral("1B,40")},
                                {QStringLiteral("Empty"), QString()}};
        QVERIFY(SaveUserCommandRows(nullptr, ini, two));

        QCOMPARE(Read(ini, "CmdCnt"), QStringLiteral("2"));
        QCOMPARE(Read(ini, "CmdName1"), QStringLiteral("Init"));
        QCOMPARE(Read(ini, "CmdValue1"), QStringLiteral("1B,40"));
        QCOMPARE(Read(ini, "CmdName2"), QStringLiteral("Empty"));
        QCOMPARE(Read(ini, "CmdValue2"), QString());
        QCOMPARE(Read(ini, "CmdName5"), QString::fromUtf8("命令5"));
        QCOMPARE(ReadIniValue(ini, "RVConfigs", "SelPort"), std::string("2"));

        // Sections and keys in descending order, the comment on the header.
        const QList<QByteArray> lines = Lines(ini);
        const qsizetype header = lines.indexOf("[UserCmds]");
        QVERIFY(header > 0);
        QCOMPARE(lines[header - 1], CommentLine());
        const qsizetype otherHeader = lines.indexOf("[RVConfigs]");
        QVERIFY(otherHeader > header);
        QList<QByteArray> keys;
        for (qsizetype i = header + 1; i < otherHeader; ++i)
            keys << lines[i].left(lines[i].indexOf('='));
        QCOMPARE(keys.size(), 11);
        QList<QByteArray> descending = keys;
        std::sort(descending.begin(), descending.end(), std::greater<>());
        QCOMPARE(keys, descending);
    }

    void missingFileIsCreatedWithTheComment()
    {
        QTemporaryDir dir;
        const std::filesystem::path ini = dir.filePath(QStringLiteral("rvcfg.ini")).toStdString();
        QList<Row> rows = NumberedRows(1);
        rows.append({QString::fromUtf8("a\u00e9\U0001F600"), QStringLiteral("0A")});
        QVERIFY(SaveUserCommandRows(nullptr, ini, rows));
        QCOMPARE(Lines(ini).first(), CommentLine());
        QCOMPARE(Read(ini, "CmdCnt"), QStringLiteral("2"));
        QCOMPARE(Read(ini, "CmdName1"), QString::fromUtf8("命令1"));
        // Characters GBK has no code for are stored as "?".
        QCOMPARE(Read(ini, "CmdName2"), QString::fromUtf8("a\u00e9??"));
    }

    // A failed save reports, returns false and never throws away a file
    // the engine cannot read.
    void failuresAreReported()
    {
        MessageBoxWatcher watcher;
        QTemporaryDir dir;
        const std::filesystem::path nowhere =
            dir.filePath(QStringLiteral("missing/rvcfg.ini")).toStdString();
        QVERIFY(!SaveUserCommandRows(nullptr, nowhere, NumberedRows(2)));
        QVERIFY(!std::filesystem::exists(nowhere));

        const std::filesystem::path tooLarge =
            dir.filePath(QStringLiteral("large.ini")).toStdString();
        QVERIFY(CreateIniFile(tooLarge));
        std::filesystem::resize_file(tooLarge, kIniMaxFileSize + 1);
        QVERIFY(!SaveUserCommandRows(nullptr, tooLarge, NumberedRows(2)));
        QCOMPARE(std::filesystem::file_size(tooLarge), kIniMaxFileSize + 1);

        // A name the file cannot hold: the count is written, the entry is not.
        const std::filesystem::path ini = dir.filePath(QStringLiteral("rvcfg.ini")).toStdString();
        QVERIFY(!SaveUserCommandRows(nullptr, ini, {{QStringLiteral("two\nlines"), "0A"}}));
        QCOMPARE(Read(ini, "CmdName1"), QString());

        const QString message = QStringLiteral("Can't Create Config Ini File!");
        QCOMPARE(watcher.Texts(), QStringList({message, message, message}));
    }
};

QTEST_MAIN(TestUserCmdSave)
#include "tst_usercmdsave.moc"
