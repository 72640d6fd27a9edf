#include "config/regmanage.h"
#include "shell/findtextdlg.h"
#include "shell/mainframe.h"
#include "testsettings.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestMainFrame : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_folder.IsValid());
        QSettings(QStringLiteral("Tarvik"), QStringLiteral("Settings")).clear();
    }

    void placementIsSavedOnCloseAndRestored()
    {
        {
            CMainFrame frame(m_reg);
            QVERIFY(!frame.RestorePlacement()); // nothing saved yet
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

    void findOpensOneFreshDialogAndForwardsRequests()
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
        QCOMPARE(QList<QVariantList>(requests), QList<QVariantList>({{4u, QStringLiteral("abc")}}));

        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QTest::keyClick(&frame, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(frame.findChildren<CFindTextDlg *>().size(), 1);
        QVERIFY(frame.FindDialog()->TextCombo()->currentText().isEmpty());
        QVERIFY(frame.FindDialog()->isVisible());
    }

private:
    TestSettingsFolder m_folder;
    CRegManage m_reg;
};

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
