// The user command configuration dialog driven as a user drives it: the
// table, the popup menu, adding and editing through the edit dialog, OK and
// Cancel.
#include "dialogdriver.h"
#include "editex.h"
#include "usercmdcfgdlg.h"
#include "usercmdeditdlg.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace {

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
        edit->findChild<QLineEdit *>(QString::number(CUserCmdEditDlg::kNameId))->setText(name);
        edit->ContentBox()->setPlainText(content);
        edit->findChild<QPushButton *>(QStringLiteral("1"))->click();
    });
}

const QList<Row> kThreeRows = {{QStringLiteral("Init"), QStringLiteral("1B,40")},
                               {QStringLiteral("Cut"), QStringLiteral("1D,56,00")},
                               {QStringLiteral("Feed"), QStringLiteral("0A")}};

} // namespace

class TestUserCmdCfgDlg : public QObject
{
    Q_OBJECT

private slots:
    void tableShowsRowsWithLongValuesShortened()
    {
        CUserCmdCfgDlg dlg;
        const QString value30 = QStringLiteral("01,02,03,04,05,06,07,08,09,0A");
        const QString value24 = QStringLiteral("01,02,03,04,05,06,07,089");
        dlg.SetRows({{QStringLiteral("a"), value30}, {QStringLiteral("b"), value24}});
        QCOMPARE(Column(&dlg, 0), QStringList({"1", "2"}));
        QCOMPARE(Column(&dlg, 1), QStringList({"a", "b"}));
        QCOMPARE(Column(&dlg, 2),
                 QStringList({QStringLiteral("01,02,03,04,05,06,07,08 ..."), value24}));
        QCOMPARE(Table(&dlg)->horizontalHeader()->sectionSize(2), 270);
        QCOMPARE(Table(&dlg)->selectionBehavior(), QAbstractItemView::SelectRows);
    }

    void popupDeletesTheRowUnderTheCursor()
    {
        CUserCmdCfgDlg dlg;
        dlg.SetRows(kThreeRows);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));

        bool deleteEnabledBelowRows = true;
        const QPoint belowRows(5, Table(&dlg)->viewport()->height() - 3);
        QVERIFY(!Table(&dlg)->indexAt(belowRows).isValid());
        RightClick(&dlg, belowRows, [&](QMenu *menu) {
            deleteEnabledBelowRows =
                MenuAction(menu, CUserCmdCfgDlg::kDeleteCommandId)->isEnabled();
            menu->close();
        });
        QVERIFY(!deleteEnabledBelowRows);
        QCOMPARE(Table(&dlg)->rowCount(), 3);

        RightClick(&dlg, RowPoint(&dlg, 1),
                   [](QMenu *menu) { Choose(menu, CUserCmdCfgDlg::kDeleteCommandId); });
        QCOMPARE(Column(&dlg, 0), QStringList({"1", "2"}));
        QCOMPARE(Column(&dlg, 1), QStringList({"Init", "Feed"}));
    }

    // Adds by button and by popup, edits by double-click, deletes: the table
    // follows at once, Rows() only after OK.
    void editsReachRowsOnlyThroughOk()
    {
        for (const bool confirm : {false, true}) {
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

                AnswerEdit(QStringLiteral("Cut2"), QStringLiteral("1D 56 01"),
                           &contentShownForEdit);
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
                continue;
            }
            QCOMPARE(result, int(QDialog::Accepted));
            const QList<Row> expected = {{QStringLiteral("Cut2"), QStringLiteral("1D,56,01")},
                                         kThreeRows[2],
                                         {QStringLiteral("Beep"), QStringLiteral("07")},
                                         {QStringLiteral("Reset"), QStringLiteral("1B,40")}};
            QCOMPARE(dlg.Rows(), expected);
        }
    }
};

QTEST_MAIN(TestUserCmdCfgDlg)
#include "tst_usercmdcfgdlg.moc"
