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

        QCOMPARE(requests.count(), 2);
        QCOMPARE(requests.at(0).at(0).value<quint32>(), quint32(0x10004));
        QCOMPARE(requests.at(0).at(1).toString(), QStringLiteral("ESC @"));
        QVERIFY(dialog.isVisible());              // stays open
        QCOMPARE(dialog.TextCombo()->count(), 2); // text not added to the list
    }
};

QTEST_MAIN(TestFindTextDlg)
#include "tst_findtextdlg.moc"
