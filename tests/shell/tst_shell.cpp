// The window shell driven as a user drives it: the about box (its version
// line and the "show at start" choice kept in NoAutoShowAbout), the find
// dialog, the status bar's messages and the main frame (its placement, the
// find dialog it opens).
#include "config/regmanage.h"
#include "shell/aboutdlg.h"
#include "shell/extlabel.h"
#include "shell/extstatuscontrolbar.h"
#include "shell/findtextdlg.h"
#include "shell/mainframe.h"
#include "shell/statusmessenger.h"
#include "stringtable.h"
#include "testsettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <utility>

namespace {
// Runs the start-up rule; a box that comes up has its tick cleared and is
// closed with Escape. Returns whether it came up, and ticked.
std::pair<bool, bool> StartUp(CRegManage &reg)
{
    std::pair<bool, bool> seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&seen] {
        auto *dialog = qobject_cast<CAboutDlg *>(QApplication::activeModalWidget());
        if (!dialog || seen.first)
            return;
        seen = {true, dialog->ShowAtStartCheck()->isChecked()};
        QTest::mouseClick(dialog->ShowAtStartCheck(), Qt::LeftButton);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    poll.start(10);
    CAboutDlg::ShowAtStartup(reg, nullptr);
    return seen;
}
} // namespace

class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_folder.IsValid());
        QSettings(QStringLiteral("Tarvik"), QStringLiteral("Settings")).clear();
    }

    // The program's build and the port library's version, which users quote.
    void versionLineNamesBothVersions()
    {
        CAboutDlg dialog;
        QCOMPARE(dialog.VersionLabel()->text(),
                 QStringLiteral("Tarvik V1.000 Beta4(Build 1141), 端口操作类库版本: V1.000.1087"));
    }

    // A box that stays away returns at once; one that came up would wait
    // for the poll to close it.
    void startupShowsUntilUserUnticks()
    {
        QCOMPARE(StartUp(m_reg), std::make_pair(true, true));
        QCOMPARE(NoAutoShowAbout(), 1u);
        QCOMPARE(StartUp(m_reg), std::make_pair(false, false));
    }

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

    void hintCancelsPendingErrorAndTurnsBlue()
    {
        QMainWindow frame;
        auto *bar = new CExtStatusControlBar(&frame);
        bar->SetIndicators({ID_INDICATOR_NUM});
        frame.setStatusBar(bar);
        frame.setCentralWidget(new QWidget);
        auto *messenger = new CStatusMessenger(bar, &frame);
        QVERIFY(messenger->SetUpPanes());
        frame.resize(608, 445);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));

        messenger->ShowStatusText(QStringLiteral("error"), kStatusError, 300);
        const QDeadlineTimer errorDue(316); // the error's coarse timer is at most 5% late
        messenger->ShowStatusText(QStringLiteral("hint"), kStatusHint, -1);
        QCOMPARE(messenger->Label()->TextColour(), QColor(0, 0, 255));
        QVERIFY(!messenger->IsClearPending());
        QTRY_VERIFY(errorDue.hasExpired());
        QCOMPARE(bar->WindowText(), QStringLiteral("hint"));
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
    uint32_t NoAutoShowAbout() const
    {
        uint32_t value = 99;
        m_reg.ReadDword(QStringLiteral("NoAutoShowAbout"), value);
        return value;
    }

    TestSettingsFolder m_folder;
    CRegManage m_reg;
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
