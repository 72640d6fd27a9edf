#include "findtextdlg.h"

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
    void init();
    void cleanup();
    void startsEmptyWithFindNextDisabled();
    void typingEnablesAndClearingDisablesFindNext();
    void findNextRequestsWithCaseFlag_data();
    void findNextRequestsWithCaseFlag();
    void choosingListEntryEnablesFindNext();
    void closeAndEscapeHideTheDialog();

private:
    CFindTextDlg *m_dialog = nullptr;
};

void TestFindTextDlg::init()
{
    m_dialog = new CFindTextDlg;
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
}

void TestFindTextDlg::cleanup()
{
    delete m_dialog;
}

void TestFindTextDlg::startsEmptyWithFindNextDisabled()
{
    QVERIFY(m_dialog->TextCombo()->currentText().isEmpty());
    QVERIFY(!m_dialog->MatchCaseCheck()->isChecked());
    QVERIFY(!m_dialog->FindNextButton()->isEnabled());
    QCOMPARE(m_dialog->TextCombo()->count(), 2);
    QCOMPARE(m_dialog->TextCombo()->itemText(0), QStringLiteral("adf"));
    QCOMPARE(m_dialog->TextCombo()->itemText(1), QStringLiteral("wri"));
    QVERIFY(!m_dialog->isModal());
}

void TestFindTextDlg::typingEnablesAndClearingDisablesFindNext()
{
    QLineEdit *edit = m_dialog->TextCombo()->lineEdit();
    QTest::keyClicks(edit, QStringLiteral("ab"));
    QVERIFY(m_dialog->FindNextButton()->isEnabled());
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QVERIFY(!m_dialog->FindNextButton()->isEnabled());
}

void TestFindTextDlg::findNextRequestsWithCaseFlag_data()
{
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<quint32>("wParam");
    QTest::newRow("any case") << false << quint32(4);
    QTest::newRow("match case") << true << quint32(0x10004);
}

void TestFindTextDlg::findNextRequestsWithCaseFlag()
{
    QFETCH(bool, matchCase);
    QFETCH(quint32, wParam);
    QSignalSpy requests(m_dialog, &CFindTextDlg::viewRequest);
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

void TestFindTextDlg::choosingListEntryEnablesFindNext()
{
    QSignalSpy requests(m_dialog, &CFindTextDlg::viewRequest);
    m_dialog->TextCombo()->setCurrentIndex(1);
    QVERIFY(m_dialog->FindNextButton()->isEnabled());
    QTest::keyClick(m_dialog->TextCombo()->lineEdit(), Qt::Key_Return); // default button
    QCOMPARE(requests.count(), 1);
    QCOMPARE(requests.at(0).at(1).toString(), QStringLiteral("wri"));
}

void TestFindTextDlg::closeAndEscapeHideTheDialog()
{
    auto *close = m_dialog->findChild<QPushButton *>(QStringLiteral("closeButton"));
    QVERIFY(close);
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!m_dialog->isVisible());
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
    QTest::keyClick(m_dialog, Qt::Key_Escape);
    QVERIFY(!m_dialog->isVisible());
}

QTEST_MAIN(TestFindTextDlg)
#include "tst_findtextdlg.moc"
