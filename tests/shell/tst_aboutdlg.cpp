// The about box: its version line, the box at start and the "show at start"
// choice it keeps in NoAutoShowAbout.
#include "config/regmanage.h"
#include "shell/aboutdlg.h"
#include "testsettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
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

class TestAboutDlg : public QObject
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

QTEST_MAIN(TestAboutDlg)
#include "tst_aboutdlg.moc"
