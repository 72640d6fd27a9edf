#include "shell/findtextdlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestFindTextDlg : public QObject
{
    Q_OBJECT

private slots:
    void findNextRequestsWithCaseFlag()
    {
        CFindTextDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QSignalSpy requests(&dialog, &CFindTextDlg::viewRequest);
        QTest::keyClicks(dialog.TextCombo()->lineEdit(), QStringLiteral("ESC @"));
        // On the box itself; the widget is wider than its text.
        QTest::mouseClick(dialog.MatchCaseCheck(), Qt::LeftButton, {},
                          QPoint(6, dialog.MatchCaseCheck()->height() / 2));
        QVERIFY(dialog.MatchCaseCheck()->isChecked());
        QTest::mouseClick(dialog.FindNextButton(), Qt::LeftButton);
        QTest::mouseClick(dialog.FindNextButton(), Qt::LeftButton);

        const QVariantList request{0x10004u, QStringLiteral("ESC @")};
        QCOMPARE(QList<QVariantList>(requests), QList<QVariantList>({request, request}));
        QVERIFY(dialog.isVisible());              // stays open
        QCOMPARE(dialog.TextCombo()->count(), 2); // text not added to the list
    }
};

QTEST_MAIN(TestFindTextDlg)
#include "tst_findtextdlg.moc"
