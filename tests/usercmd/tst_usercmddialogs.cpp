// The user command dialogs driven as a user drives them: the edit dialog
// (typing, clicking Hex with and without Ctrl, OK) and the configuration
// dialog (the table, the popup menu, adding and editing through the edit
// dialog, OK and Cancel).
#include "dialogdriver.h"
#include "messageboxwatcher.h"
#include "stringtable.h"
#include "usercmd/usercmdcfgdlg.h"
#include "usercmd/usercmdeditdlg.h"
#include "widgets/editex.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>

namespace {
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

using Row = CUserCmdCfgDlg::tagUSER_CMD_STR;

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

class TestUserCmdDialogs : public QObject
{
    Q_OBJECT

private slots:
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
};

QTEST_MAIN(TestUserCmdDialogs)
#include "tst_usercmddialogs.moc"
