#include "aboutdlg.h"
#include "regmanage.h"
#include "staticlink.h"
#include "testsettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
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
        QTimer::singleShot(50, [this] { Drive(); });
    }
    bool Shown() const { return m_shown; }
    bool WasTicked() const { return m_wasTicked; }

private:
    void Drive()
    {
        auto *dialog = qobject_cast<CAboutDlg *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        m_shown = true;
        m_wasTicked = dialog->ShowAtStartCheck()->isChecked();
        m_action(dialog);
    }

    std::function<void(CAboutDlg *)> m_action;
    bool m_shown = false;
    bool m_wasTicked = false;
};

void UntickAndEscape(CAboutDlg *dialog)
{
    QTest::mouseClick(dialog->ShowAtStartCheck(), Qt::LeftButton);
    QTest::keyClick(dialog, Qt::Key_Escape);
}

void TickAndClose(CAboutDlg *dialog)
{
    dialog->ShowAtStartCheck()->setChecked(true);
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("closeButton")),
                      Qt::LeftButton);
}

} // namespace

class TestAboutDlg : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void showsVersionFeaturesAndMailLink();
    void bothClosingWaysTakeTheCheckBox_data();
    void bothClosingWaysTakeTheCheckBox();
    void startupShowsUntilUserUnticks();
    void startupWritesNothingWhileTicked();
    void menuShowsStoredChoiceAndStoresNewOne();

private:
    uint32_t NoAutoShowAbout(uint32_t fallback = 99) const;

    TestSettingsFolder m_folder;
    CRegManage m_reg;
};

void TestAboutDlg::init()
{
    QVERIFY(m_folder.IsValid());
    QSettings(QStringLiteral("Tarvik"), QStringLiteral("Settings")).clear();
}

uint32_t TestAboutDlg::NoAutoShowAbout(uint32_t fallback) const
{
    uint32_t value = fallback;
    m_reg.ReadDword(QStringLiteral("NoAutoShowAbout"), value);
    return value;
}

void TestAboutDlg::showsVersionFeaturesAndMailLink()
{
    CAboutDlg dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("关于 Port Tarvik"));
    QCOMPARE(dialog.VersionLabel()->text(),
             QStringLiteral("Tarvik V1.000 Beta4(Build 1141), 端口操作类库版本: V1.000.1087"));
    QVERIFY(dialog.FeatureText()->isReadOnly());
    QVERIFY(dialog.FeatureText()->toPlainText().contains(QStringLiteral("继续接收")));
    QVERIFY(dialog.MailLink()->Link().Target().startsWith(QStringLiteral("mailto:")));
    QVERIFY(dialog.ShowAtStartCheck()->isChecked());
    QCOMPARE(dialog.ShowAtStartCheck()->text(), QStringLiteral("在启动时显示"));
}

void TestAboutDlg::bothClosingWaysTakeTheCheckBox_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("close button") << false;
    QTest::newRow("escape") << true;
}

void TestAboutDlg::bothClosingWaysTakeTheCheckBox()
{
    QFETCH(bool, escape);
    CAboutDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(dialog.ShowAtStartCheck(), Qt::LeftButton);
    QVERIFY(dialog.ShowAtStart()); // not taken before closing
    if (escape)
        QTest::keyClick(&dialog, Qt::Key_Escape);
    else
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("closeButton")),
                          Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!dialog.ShowAtStart());
}

void TestAboutDlg::startupShowsUntilUserUnticks()
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

void TestAboutDlg::startupWritesNothingWhileTicked()
{
    ModalAboutDriver driver(TickAndClose);
    CAboutDlg::ShowAtStartup(m_reg, nullptr);
    QVERIFY(driver.Shown());
    QCOMPARE(NoAutoShowAbout(), 99u); // still absent
}

void TestAboutDlg::menuShowsStoredChoiceAndStoresNewOne()
{
    m_reg.WriteDword(QStringLiteral("NoAutoShowAbout"), 1);
    {
        ModalAboutDriver driver(TickAndClose);
        CAboutDlg::ShowFromMenu(m_reg, nullptr);
        QVERIFY(driver.Shown());
        QVERIFY(!driver.WasTicked());
    }
    QCOMPARE(NoAutoShowAbout(), 0u);
    {
        ModalAboutDriver driver(UntickAndEscape);
        CAboutDlg::ShowFromMenu(m_reg, nullptr);
        QVERIFY(driver.WasTicked());
    }
    QCOMPARE(NoAutoShowAbout(), 1u);
}

QTEST_MAIN(TestAboutDlg)
#include "tst_aboutdlg.moc"
