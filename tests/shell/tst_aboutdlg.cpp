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
#include <functional>

namespace {
// Runs action on the about box once it is shown modally; records whether it was.
class ModalAboutDriver
{
public:
    explicit ModalAboutDriver(std::function<void(CAboutDlg *)> action) : m_action(std::move(action))
    {
        QTimer::singleShot(50, [this] {
            auto *dialog = qobject_cast<CAboutDlg *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            m_shown = true;
            m_wasTicked = dialog->ShowAtStartCheck()->isChecked();
            m_action(dialog);
        });
    }
    bool Shown() const { return m_shown; }
    bool WasTicked() const { return m_wasTicked; }

private:
    std::function<void(CAboutDlg *)> m_action;
    bool m_shown = false;
    bool m_wasTicked = false;
};

void UntickAndEscape(CAboutDlg *dialog)
{
    QTest::mouseClick(dialog->ShowAtStartCheck(), Qt::LeftButton);
    QTest::keyClick(dialog, Qt::Key_Escape);
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

    void startupShowsUntilUserUnticks()
    {
        {
            ModalAboutDriver driver(UntickAndEscape);
            CAboutDlg::ShowAtStartup(m_reg, nullptr);
            QVERIFY(driver.Shown());
            QVERIFY(driver.WasTicked());
        }
        QCOMPARE(NoAutoShowAbout(), 1u);
        ModalAboutDriver second(UntickAndEscape);
        CAboutDlg::ShowAtStartup(m_reg, nullptr);
        QTest::qWait(150);
        QVERIFY(!second.Shown());
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
