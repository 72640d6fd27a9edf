// The command edit dialog driven as a user drives it: typing, clicking Hex
// with and without Ctrl, pressing OK.
#include "dialogdriver.h"
#include "editex.h"
#include "messageboxwatcher.h"
#include "stringtable.h"
#include "usercmdeditdlg.h"

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

void ClickHex(CUserCmdEditDlg *dlg, Qt::KeyboardModifiers modifiers = {})
{
    auto *hex = dlg->findChild<QCheckBox *>(QString::number(CUserCmdEditDlg::kHexId));
    QStyleOptionButton option;
    option.initFrom(hex);
    const QRect indicator =
        hex->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, hex);
    QTest::mouseClick(hex, Qt::LeftButton, modifiers, indicator.center());
}

bool HexChecked(CUserCmdEditDlg *dlg)
{
    return dlg->findChild<QCheckBox *>(QString::number(CUserCmdEditDlg::kHexId))->isChecked();
}

void SetNameText(CUserCmdEditDlg *dlg, const QString &text)
{
    dlg->findChild<QLineEdit *>(QString::number(CUserCmdEditDlg::kNameId))->setText(text);
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
        shown->findChild<QPushButton *>(QStringLiteral("1"))->click();
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

} // namespace

class TestUserCmdEditDlg : public QObject
{
    Q_OBJECT

private slots:
    void okKeepsHexContentInWrittenForm()
    {
        const EditOutcome kept = RunEdit(QStringLiteral(" Init "), QStringLiteral("1B,40"));
        QCOMPARE(kept.result, int(QDialog::Accepted));
        QCOMPARE(kept.name, QStringLiteral("Init"));
        QCOMPARE(kept.content, QStringLiteral("1B,40"));

        const EditOutcome rewritten =
            RunEdit(QStringLiteral("x"), QStringLiteral("1b 40;027"), [](CUserCmdEditDlg *dlg) {
                QVERIFY(dlg->ContentBox()->m_bHex);
                QVERIFY(HexChecked(dlg));
                QCOMPARE(dlg->ContentBox()->toPlainText(), QStringLiteral("1b 40;027"));
            });
        QCOMPARE(rewritten.content, QStringLiteral("1B,40,1B"));
    }

    void hexSwitchConvertsBothWays()
    {
        const EditOutcome outcome =
            RunEdit(QStringLiteral("x"), QStringLiteral("41,42"), [](CUserCmdEditDlg *dlg) {
                ClickHex(dlg);
                QVERIFY(!HexChecked(dlg));
                QCOMPARE(dlg->ContentBox()->toPlainText(), QStringLiteral("AB"));
                ClickHex(dlg);
                QVERIFY(HexChecked(dlg));
                QCOMPARE(dlg->ContentBox()->toPlainText(), QStringLiteral("41 42"));
            });
        QCOMPARE(outcome.content, QStringLiteral("41,42"));
    }

    void ctrlClickOnlyFlipsTheMode()
    {
        const EditOutcome outcome =
            RunEdit(QStringLiteral("x"), QStringLiteral("41"), [](CUserCmdEditDlg *dlg) {
                ClickHex(dlg, Qt::ControlModifier);
                QVERIFY(!HexChecked(dlg));
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
                QVERIFY(HexChecked(dlg));
                QVERIFY(dlg->ContentBox()->m_bHex);
                QCOMPARE(dlg->ContentBox()->textCursor().selectedText(), QStringLiteral("G"));
                SetNameText(dlg, QString()); // OK then stops at the name
            });
        QCOMPARE(outcome.messages,
                 QStringList({LoadString(IDS_HEX_INPUT_ERROR), LoadString(IDS_CMD_NAME_REQUIRED)}));
    }

    void okRefusesMissingOrFaultyInput()
    {
        const QString original = QStringLiteral("1B");
        const EditOutcome blankName = RunEdit(QStringLiteral("   "), original);
        QVERIFY(blankName.openAfterOk);
        QCOMPARE(blankName.messages, QStringList(LoadString(IDS_CMD_NAME_REQUIRED)));

        const EditOutcome noContent = RunEdit(QStringLiteral("x"), QString());
        QVERIFY(noContent.openAfterOk);
        QCOMPARE(noContent.messages, QStringList(LoadString(IDS_CMD_VALUE_REQUIRED)));

        const EditOutcome badHex = RunEdit(QStringLiteral("x"), QStringLiteral("1B 4Z 0A"));
        QVERIFY(badHex.openAfterOk);
        QCOMPARE(badHex.messages, QStringList(LoadString(IDS_HEX_INPUT_ERROR)));
        QCOMPARE(badHex.selectionStartAfterOk, 4);
        QCOMPARE(badHex.selectedAfterOk, QStringLiteral("Z"));
        QCOMPARE(badHex.content, QStringLiteral("1B 4Z 0A")); // nothing taken over
        QCOMPARE(blankName.name, QStringLiteral("   "));
    }

    void separatorsOnlyGiveEmptyValue()
    {
        const EditOutcome outcome = RunEdit(QStringLiteral("x"), QStringLiteral(" , "));
        QCOMPARE(outcome.result, int(QDialog::Accepted));
        QCOMPARE(outcome.content, QString());
    }
};

QTEST_MAIN(TestUserCmdEditDlg)
#include "tst_usercmdeditdlg.moc"
