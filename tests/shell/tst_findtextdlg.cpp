#include "findtextdlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

class TestFindTextDlg : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dialog = std::make_unique<CFindTextDlg>();
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    }
    void cleanup() { m_dialog.reset(); }

    void findNextRequestsWithCaseFlag_data()
    {
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<quint32>("wParam");
        QTest::newRow("match case") << true << quint32(0x10004);
    }
    void findNextRequestsWithCaseFlag()
    {
        QFETCH(bool, matchCase);
        QFETCH(quint32, wParam);
        QSignalSpy requests(m_dialog.get(), &CFindTextDlg::viewRequest);
        QTest::keyClicks(m_dialog->TextCombo()->lineEdit(), QStringLiteral("ESC @"));
        if (matchCase) // on the box itself; the widget is wider than its text
            QTest::mouseClick(m_dialog->MatchCaseCheck(), Qt::LeftButton, {},
                              QPoint(6, m_dialog->MatchCaseCheck()->height() / 2));
        QCOMPARE(m_dialog->MatchCaseCheck()->isChecked(), matchCase);
        QTest::mouseClick(m_dialog->FindNextButton(), Qt::LeftButton);
        QTest::mouseClick(m_dialog->FindNextButton(), Qt::LeftButton);

        QCOMPARE(requests.count(), 2);
        QCOMPARE(requests.at(0).at(0).value<quint32>(), wParam);
        QCOMPARE(requests.at(0).at(1).toString(), QStringLiteral("ESC @"));
        QVERIFY(m_dialog->isVisible());              // stays open
        QCOMPARE(m_dialog->TextCombo()->count(), 2); // text not added to the list
    }

private:
    std::unique_ptr<CFindTextDlg> m_dialog;
};

QTEST_MAIN(TestFindTextDlg)
#include "tst_findtextdlg.moc"
