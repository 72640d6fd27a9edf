// The user commands driven as a user drives them: the "UserCmds" section of
// the configuration file (loading with its count limit, value notations and
// the question about a faulty entry; the written value form; saving a
// confirmed list), the command strip (cells and rows by width, what a click
// hands on) and the dialogs (the edit dialog's typing, Hex with and without
// Ctrl, OK; the configuration dialog's table, popup menu, OK and Cancel).
#include "config/inifile.h"
#include "convert/boxtext.h"
#include "dialogdriver.h"
#include "messageboxwatcher.h"
#include "stringtable.h"
#include "usercmd/usercmdcfgdlg.h"
#include "usercmd/usercmdeditdlg.h"
#include "usercmd/usercmdsave.h"
#include "usercmd/usercmdstore.h"
#include "usercmd/usercmdvalue.h"
#include "usercmd/usercommandview.h"
#include "widgets/editex.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleOptionButton>
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

Records Commands(int count)
{
    Records records;
    for (int k = 0; k < count; ++k)
        records.append({QStringLiteral("cmd %1").arg(k), QByteArray(1, char(k))});
    return records;
}

void Show(CUserCommandView &strip, QSize size, const Records &records)
{
    strip.resize(size);
    strip.show();
    strip.Records() = records;
    strip.OnInitialUpdate();
}

// What the dialog showed and gave back after the steps ran and OK was
// pressed.
struct EditOutcome
{
    int result = -1;
    bool openAfterOk = false;
    int selectionStartAfterOk = -1;
    QString selectedAfterOk;
    QString name;
    QString content;
    QStringList messages;
};

QCheckBox *HexBox(CUserCmdEditDlg *dlg)
{
    return dlg->findChild<QCheckBox *>(QString::number(CUserCmdEditDlg::kHexId));
}

QLineEdit *NameBox(CUserCmdEditDlg *dlg)
{
    return dlg->findChild<QLineEdit *>(QString::number(CUserCmdEditDlg::kNameId));
}

void PressOk(QDialog *dlg)
{
    dlg->findChild<QPushButton *>(QStringLiteral("1"))->click();
}

void ClickHex(CUserCmdEditDlg *dlg, Qt::KeyboardModifiers modifiers = {})
{
    QCheckBox *hex = HexBox(dlg);
    QStyleOptionButton option;
    option.initFrom(hex);
    const QRect indicator =
        hex->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, hex);
    QTest::mouseClick(hex, Qt::LeftButton, modifiers, indicator.center());
}

EditOutcome RunEdit(const QString &name, const QString &content,
                    const std::function<void(CUserCmdEditDlg *)> &steps = {})
{
    MessageBoxWatcher watcher;
    CUserCmdEditDlg dlg;
    dlg.m_strName = name;
    dlg.m_strContent = content;
    EditOutcome outcome;
    OnNextModal<CUserCmdEditDlg>([&](CUserCmdEditDlg *shown) {
        if (steps)
            steps(shown);
        PressOk(shown);
        outcome.openAfterOk = shown->isVisible();
        outcome.selectionStartAfterOk = shown->ContentBox()->textCursor().selectionStart();
        outcome.selectedAfterOk = shown->ContentBox()->textCursor().selectedText();
        if (outcome.openAfterOk)
            shown->reject();
    });
    outcome.result = dlg.exec();
    outcome.name = dlg.m_strName;
    outcome.content = dlg.m_strContent;
    outcome.messages = watcher.Texts();
    return outcome;
}

QStringList Column(QDialog *dlg, int column)
{
    QStringList texts;
    for (int row = 0; row < Table(dlg)->rowCount(); ++row)
        texts << Table(dlg)->item(row, column)->text();
    return texts;
}

// Fills the next edit dialog and presses its OK.
void AnswerEdit(const QString &name, const QString &content, QString *shownContent = nullptr)
{
    OnNextModal<CUserCmdEditDlg>([=](CUserCmdEditDlg *edit) {
        if (shownContent)
            *shownContent = edit->ContentBox()->toPlainText();
        NameBox(edit)->setText(name);
        edit->ContentBox()->setPlainText(content);
        PressOk(edit);
    });
}

const QList<Row> kThreeRows = {{QStringLiteral("Init"), QStringLiteral("1B,40")},
                               {QStringLiteral("Cut"), QStringLiteral("1D,56,00")},
                               {QStringLiteral("Feed"), QStringLiteral("0A")}};
} // namespace

class TestUserCmd : public QObject
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

    void cellsFillRowsOfTheWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("height");
        QTest::newRow("250: rows of 3, 3, 1") << 250 << 7 << 3 << 90;
        QTest::newRow("248 gives 2 columns") << 248 << 7 << 2 << 120;
        QTest::newRow("no records") << 250 << 0 << 3 << 0;
    }
    void cellsFillRowsOfTheWidth()
    {
        QFETCH(int, width);
        QFETCH(int, count);
        QFETCH(int, columns);
        QFETCH(int, height);
        CUserCommandView strip;
        Show(strip, QSize(width, 400), Commands(count)); // tall enough for no scroll bar
        QCOMPARE(strip.ContentHeight(), height);
        QCOMPARE(strip.Buttons().size(), count);
        for (int k = 0; k < count; ++k) {
            const QRect cell(83 * (k % columns), 30 * (k / columns) + 3, 78, 25);
            QCOMPARE(strip.Buttons()[k]->geometry(), cell);
        }
    }

    void longNamesAreCutAtTheEndWithTheWholeNameAsTip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("cut");
        QTest::addColumn<QString>("tip");
        QTest::addRow("fits") << "init" << QByteArray("\x1B\x40") << false << "init\n1B 40";
        QTest::addRow("long") << "Print the whole status report" << QByteArray("\x10\x04\x01")
                              << true << "Print the whole status report\n10 04 01";
        QTest::addRow("no bytes") << "send box" << QByteArray() << false << "send box";
        QTest::addRow("many bytes") << "logo" << QByteArray(60, '\xAA') << false
                                    << "logo\n" + QStringLiteral("AA ").repeated(48) + "…";
    }
    // A name wider than its cell keeps its beginning; the tool tip has all.
    void longNamesAreCutAtTheEndWithTheWholeNameAsTip()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, cut);
        CUserCommandView strip;
        Show(strip, QSize(250, 60), {{name, bytes}});
        const QPushButton *button = strip.Buttons()[0];
        QTEST(button->toolTip(), "tip");
        const QString shown = button->text();
        if (!cut)
            QCOMPARE(shown, name);
        else
            QVERIFY2(shown.endsWith(u'…') && name.startsWith(shown.chopped(1)), qPrintable(shown));
        QVERIFY(button->fontMetrics().horizontalAdvance(shown) < button->width());
    }

    void clickHandsOverTheCommandsBytes()
    {
        CUserCommandView strip;
        Show(strip, QSize(250, 60),
             {{QStringLiteral("init"), QByteArray("\x1B\x40")}, {QStringLiteral("no bytes"), {}}});
        QSignalSpy sent(&strip, &CUserCommandView::sendData);
        QTest::mouseClick(strip.Buttons()[0], Qt::LeftButton);
        QTest::mouseClick(strip.Buttons()[1], Qt::LeftButton);
        const QList<QVariantList> both{{QByteArray("\x1B\x40")}, {QByteArray()}};
        QCOMPARE(QList<QVariantList>(sent), both);

        // Records emptied behind the buttons' back (a failed save): nothing
        // is sent and the click is refused.
        MessageBoxWatcher watcher;
        strip.Records().clear();
        QTest::mouseClick(strip.Buttons()[1], Qt::LeftButton);
        QCOMPARE(QList<QVariantList>(sent), both);
        QCOMPARE(watcher.Texts(), QStringList(QStringLiteral("Encountered an improper argument.")));
    }

    // OK trims the name and keeps hex content in its written form; refused
    // input keeps the dialog open with the reason and the original values.
    void okTakesOrRefusesTheInput_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<QString>("resultName");
        QTest::addColumn<QString>("resultContent");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("selectionStart");
        auto row = [](const char *tag, const char *name, const char *content, int message,
                      const char *resultName, const char *resultContent, const char *selected = "",
                      int start = 0) {
            QTest::newRow(tag) << name << content << (message ? LoadString(message) : QString())
                               << resultName << resultContent << selected << start;
        };
        row("written form kept", " Init ", "1B,40", 0, "Init", "1B,40");
        row("rewritten", "x", "1b 40;027", 0, "x", "1B,40,1B");
        row("blank name", "   ", "1B", IDS_CMD_NAME_REQUIRED, "   ", "1B");
        row("no content", "x", "", IDS_CMD_VALUE_REQUIRED, "x", "");
        row("bad hex", "x", "1B 4Z 0A", IDS_HEX_INPUT_ERROR, "x", "1B 4Z 0A", "Z", 4);
    }
    void okTakesOrRefusesTheInput()
    {
        QFETCH(QString, name);
        QFETCH(QString, content);
        QFETCH(QString, message);
        const EditOutcome outcome = RunEdit(name, content, [&](CUserCmdEditDlg *dlg) {
            QVERIFY(dlg->ContentBox()->m_bHex);
            QVERIFY(HexBox(dlg)->isChecked());
            QCOMPARE(dlg->ContentBox()->toPlainText(), content);
        });
        QCOMPARE(outcome.result == int(QDialog::Accepted), message.isEmpty());
        QCOMPARE(outcome.openAfterOk, !message.isEmpty());
        QCOMPARE(outcome.messages, message.isEmpty() ? QStringList() : QStringList(message));
        QTEST(outcome.name, "resultName");
        QTEST(outcome.content, "resultContent");
        QFETCH(QString, selected);
        if (!selected.isEmpty()) {
            QCOMPARE(outcome.selectedAfterOk, selected);
            QTEST(outcome.selectionStartAfterOk, "selectionStart");
        }
    }

    void hexSwitchConvertsBothWays()
    {
        const EditOutcome outcome =
            RunEdit(QStringLiteral("x"), QStringLiteral("41,42"), [](CUserCmdEditDlg *dlg) {
                ClickHex(dlg);
                QVERIFY(!HexBox(dlg)->isChecked());
                QCOMPARE(dlg->ContentBox()->toPlainText(), QStringLiteral("AB"));
                ClickHex(dlg);
                QVERIFY(HexBox(dlg)->isChecked());
                QCOMPARE(dlg->ContentBox()->toPlainText(), QStringLiteral("41 42"));
            });
        QCOMPARE(outcome.content, QStringLiteral("41,42"));
    }

    void ctrlClickOnlyFlipsTheMode()
    {
        const EditOutcome outcome =
            RunEdit(QStringLiteral("x"), QStringLiteral("41"), [](CUserCmdEditDlg *dlg) {
                ClickHex(dlg, Qt::ControlModifier);
                QVERIFY(!HexBox(dlg)->isChecked());
                QVERIFY(!dlg->ContentBox()->m_bHex);
                QCOMPARE(dlg->ContentBox()->toPlainText(), QStringLiteral("41"));
            });
        QCOMPARE(outcome.result, int(QDialog::Accepted));
        QCOMPARE(outcome.content, QStringLiteral("34,31"));
    }

    void badHexOnSwitchKeepsHexMode()
    {
        const EditOutcome outcome =
            RunEdit(QStringLiteral("x"), QStringLiteral("41 4G"), [](CUserCmdEditDlg *dlg) {
                ClickHex(dlg);
                QVERIFY(HexBox(dlg)->isChecked());
                QVERIFY(dlg->ContentBox()->m_bHex);
                QCOMPARE(dlg->ContentBox()->textCursor().selectedText(), QStringLiteral("G"));
                NameBox(dlg)->setText(QString()); // OK then stops at the name
            });
        QCOMPARE(outcome.messages,
                 QStringList({LoadString(IDS_HEX_INPUT_ERROR), LoadString(IDS_CMD_NAME_REQUIRED)}));
    }

    // The command editor reads its text notation in the list's code page.
    void editorShowsTextInTheCodePage()
    {
        CUserCmdCfgDlg dlg;
        dlg.SetCodePage(CodePageId::Utf8);
        QString shown;
        OnNextModal<CUserCmdCfgDlg>([&](CUserCmdCfgDlg *list) {
            OnNextModal<CUserCmdEditDlg>([&](CUserCmdEditDlg *edit) {
                edit->ContentBox()->setPlainText(QStringLiteral("47 72 C3 BC C3 9F 65 FF"));
                ClickHex(edit);
                shown = edit->ContentBox()->toPlainText();
                edit->reject();
            });
            list->findChild<QPushButton *>(QString::number(CUserCmdCfgDlg::kAddId))->click();
            list->reject();
        });
        dlg.exec();
        QCOMPARE(shown, QStringLiteral("Grüße<\\xFF>"));
    }

    // Adds by button and by popup, edits by double-click, deletes: the table
    // follows at once, Rows() only after OK.
    void editsReachRowsOnlyThroughOk_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addRow("cancel") << false;
        QTest::addRow("ok") << true;
    }
    void editsReachRowsOnlyThroughOk()
    {
        QFETCH(bool, confirm);
        CUserCmdCfgDlg dlg;
        dlg.SetRows(kThreeRows);
        QStringList shownNames;
        QString contentShownForEdit;
        OnNextModal<CUserCmdCfgDlg>([&](CUserCmdCfgDlg *shown) {
            AnswerEdit(QStringLiteral("Beep"), QStringLiteral("07"));
            shown->findChild<QPushButton *>(QString::number(CUserCmdCfgDlg::kAddId))->click();

            AnswerEdit(QStringLiteral("Reset"), QStringLiteral("1B 40"));
            RightClick(shown, RowPoint(shown, 0),
                       [](QMenu *menu) { Choose(menu, CUserCmdCfgDlg::kAddCommandId); });

            AnswerEdit(QStringLiteral("Cut2"), QStringLiteral("1D 56 01"), &contentShownForEdit);
            QWidget *viewport = Table(shown)->viewport();
            QTest::mouseClick(viewport, Qt::LeftButton, {}, RowPoint(shown, 1));
            QTest::mouseDClick(viewport, Qt::LeftButton, {}, RowPoint(shown, 1));

            RightClick(shown, RowPoint(shown, 0),
                       [](QMenu *menu) { Choose(menu, CUserCmdCfgDlg::kDeleteCommandId); });
            shownNames = Column(shown, 1);
            shown->findChild<QPushButton *>(QString::number(confirm ? 1 : 2))->click();
        });
        const int result = dlg.exec();

        QCOMPARE(contentShownForEdit, QStringLiteral("1D,56,00"));
        QCOMPARE(shownNames, QStringList({"Cut2", "Feed", "Beep", "Reset"}));
        if (!confirm) {
            QCOMPARE(result, int(QDialog::Rejected));
            QCOMPARE(dlg.Rows(), kThreeRows);
            return;
        }
        QCOMPARE(result, int(QDialog::Accepted));
        const QList<Row> expected = {{QStringLiteral("Cut2"), QStringLiteral("1D,56,01")},
                                     kThreeRows[2],
                                     {QStringLiteral("Beep"), QStringLiteral("07")},
                                     {QStringLiteral("Reset"), QStringLiteral("1B,40")}};
        QCOMPARE(dlg.Rows(), expected);
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

QTEST_MAIN(TestUserCmd)
#include "tst_usercmd.moc"
