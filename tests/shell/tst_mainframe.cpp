#include "extstatusbarbutton.h"
#include "extstatuscontrolbar.h"
#include "findtextdlg.h"
#include "mainframe.h"
#include "regmanage.h"
#include "statusmessenger.h"
#include "testsettings.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestMainFrame : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void firstStartIsMinimumSizeAndTitled();
    void neverSmallerThanMinimum();
    void placementIsSavedOnCloseAndRestored();
    void topBoxKeepsWindowOnTop();
    void laterCommandsStayDisabled();
    void statusBarSwitchHidesAndShows();
    void findOpensOneFreshDialogAndForwardsRequests();
    void setViewReplacesThePlaceholder();

private:
    TestSettingsFolder m_folder;
    CRegManage m_reg;
};

void TestMainFrame::init()
{
    QVERIFY(m_folder.IsValid());
    QSettings(QStringLiteral("Tarvik"), QStringLiteral("Settings")).clear();
}

void TestMainFrame::firstStartIsMinimumSizeAndTitled()
{
    CMainFrame frame(m_reg);
    QVERIFY(!frame.RestorePlacement());
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(frame.size(), QSize(608, 445));
    QCOMPARE(frame.windowTitle(), QStringLiteral("Tarvik"));
    QCOMPARE(frame.StatusBar()->WindowText(), QStringLiteral("就绪"));
}

void TestMainFrame::neverSmallerThanMinimum()
{
    CMainFrame frame(m_reg);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    frame.resize(300, 200);
    QTRY_COMPARE(frame.size(), QSize(608, 445));
    frame.resize(700, 200);
    QTRY_COMPARE(frame.size(), QSize(700, 445));
}

void TestMainFrame::placementIsSavedOnCloseAndRestored()
{
    {
        CMainFrame frame(m_reg);
        frame.RestorePlacement();
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.setGeometry(QRect(40, 50, 720, 510));
        QTRY_COMPARE(frame.size(), QSize(720, 510));
        QVERIFY(frame.close());
    }
    QByteArray saved;
    QVERIFY(m_reg.ReadBinary(QStringLiteral("WindowPlacement"), saved));
    CMainFrame again(m_reg);
    QVERIFY(again.RestorePlacement());
    QCOMPARE(again.size(), QSize(720, 510));

    m_reg.WriteBinary(QStringLiteral("WindowPlacement"), QByteArray("garbage"));
    CMainFrame broken(m_reg);
    QVERIFY(!broken.RestorePlacement());
    QCOMPARE(broken.size(), QSize(608, 445));
}

void TestMainFrame::topBoxKeepsWindowOnTop()
{
    CMainFrame frame(m_reg);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    CExtStatusBarButton *top = frame.Messenger()->TopButton();
    QVERIFY(top);
    QVERIFY(!(frame.windowFlags() & Qt::WindowStaysOnTopHint));
    QTest::mouseClick(top, Qt::LeftButton);
    QVERIFY(top->isChecked());
    QVERIFY(frame.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(frame.isVisible());
    QTest::mouseClick(frame.Messenger()->TopButton(), Qt::LeftButton);
    QVERIFY(!(frame.windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(frame.isVisible());
}

void TestMainFrame::laterCommandsStayDisabled()
{
    CMainFrame frame(m_reg);
    for (int id :
         {CMainFrame::ID_EDIT_UNDO, CMainFrame::ID_EDIT_CUT, CMainFrame::ID_EDIT_COPY,
          CMainFrame::ID_EDIT_PASTE, CMainFrame::ID_EDIT_SELECT_ALL, CMainFrame::ID_OPERATION_SEND,
          CMainFrame::ID_PRESET_COMMANDS, CMainFrame::ID_VIEW_TOOLBAR, CMainFrame::IDC_SEND_BUTTON,
          CMainFrame::ID_EDIT_FIND}) {
        QVERIFY2(!frame.CommandAction(id)->isEnabled(), qPrintable(QString::number(id)));
    }
    QVERIFY(frame.CommandAction(CMainFrame::ID_APP_EXIT)->isEnabled());
    QVERIFY(frame.CommandAction(CMainFrame::ID_APP_ABOUT)->isEnabled());
}

void TestMainFrame::statusBarSwitchHidesAndShows()
{
    CMainFrame frame(m_reg);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QAction *statusSwitch = frame.CommandAction(CMainFrame::ID_VIEW_STATUS_BAR);
    QVERIFY(statusSwitch->isChecked());
    statusSwitch->trigger();
    QVERIFY(!frame.StatusBar()->isVisible());
    statusSwitch->trigger();
    QVERIFY(frame.StatusBar()->isVisible());
}

void TestMainFrame::findOpensOneFreshDialogAndForwardsRequests()
{
    CMainFrame frame(m_reg);
    frame.SetView(new QWidget);
    frame.show();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QSignalSpy requests(&frame, &CMainFrame::viewRequest);

    QTest::keyClick(&frame, Qt::Key_F, Qt::ControlModifier);
    CFindTextDlg *first = frame.FindDialog();
    QVERIFY(first);
    QTest::keyClicks(first->TextCombo()->lineEdit(), QStringLiteral("abc"));
    QTest::mouseClick(first->FindNextButton(), Qt::LeftButton);
    QCOMPARE(requests.count(), 1);
    QCOMPARE(requests.at(0).at(0).value<quint32>(), 4u);
    QCOMPARE(requests.at(0).at(1).toString(), QStringLiteral("abc"));

    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QTest::keyClick(&frame, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(frame.findChildren<CFindTextDlg *>().size(), 1);
    QVERIFY(frame.FindDialog()->TextCombo()->currentText().isEmpty());
    QVERIFY(frame.FindDialog()->isVisible());
}

void TestMainFrame::setViewReplacesThePlaceholder()
{
    CMainFrame frame(m_reg);
    QPointer<QWidget> placeholder = frame.View();
    QVERIFY(placeholder);
    auto *view = new QWidget;
    frame.SetView(view);
    QCOMPARE(frame.View(), view);
    QVERIFY(placeholder.isNull());
    QVERIFY(frame.CommandAction(CMainFrame::ID_EDIT_FIND)->isEnabled());
}

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
