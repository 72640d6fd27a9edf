// Start-up and the configuration: the panel of the saved kind, the settings
// section of "rvcfg.ini" in the start directory, and a restart.
#include "viewsandbox.h"

#include "ethportcfgdlg.h"
#include "rvconfig.h"
#include "serialcfgdlg.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>

class TestViewConfig : public CViewTestCase
{
    Q_OBJECT

private slots:

    void freshStartShowsSerialDefaults()
    {
        Start();
        QCOMPARE(Kinds()->currentIndex(), 0);
        CPortCfgPanel *panel = m_framed->Panel();
        QVERIFY(qobject_cast<CSerialCfgDlg *>(panel));
        auto text = [panel](int id) {
            return FindPanelControl<QComboBox>(panel, id)->currentText();
        };
        QVERIFY(text(kSerialPortId).startsWith(QStringLiteral("COM1")));
        QCOMPARE(text(kSerialBaudId), QStringLiteral("9600"));
        QCOMPARE(text(kSerialDataBitsId), QStringLiteral("8"));
        QCOMPARE(text(kSerialStopBitsId), QStringLiteral("1"));
        QCOMPARE(text(kSerialParityId), QStringLiteral("None"));
        QCOMPARE(text(kSerialFlowId), QStringLiteral("Hardware"));
        QVERIFY(!QFile::exists(m_sandbox->IniPath())); // nothing written before the exit
    }

    void savedKind_data()
    {
        QTest::addColumn<int>("saved");
        QTest::addColumn<int>("shown");
        QTest::newRow("network") << 3 << 3;
        QTest::newRow("out of range stays serial") << 7 << 0;
    }
    void savedKind()
    {
        QFETCH(int, saved);
        QFETCH(int, shown);
        SaveSection(saved, false);
        Start();
        QCOMPARE(Kinds()->currentIndex(), shown);
        QCOMPARE(m_framed->View()->findChildren<CPortCfgPanel *>().size(), 1);
        if (shown == int(PortKind::Network))
            QVERIFY(qobject_cast<CEthPortCfgDlg *>(m_framed->Panel()));
        else
            QVERIFY(qobject_cast<CSerialCfgDlg *>(m_framed->Panel()));
    }

    // Kind, panel choices and switches are saved at exit and back after a restart.
    void settingsSurviveRestart()
    {
        Start();
        m_framed->SelectKind(PortKind::Network);
        auto *host = FindPanelControl<QComboBox>(m_framed->Panel(), kEthHostId);
        QTest::keyClicks(host->lineEdit(), QStringLiteral("printer.local"));
        auto *port = FindPanelControl<QLineEdit>(m_framed->Panel(), kEthPortId);
        port->clear();
        QTest::keyClicks(port, QStringLiteral("9100"));
        QTest::mouseClick(m_framed->Find<QCheckBox>(ViewId::kCountSend), Qt::LeftButton);
        m_framed.reset();
        QVERIFY(QFile::exists(m_sandbox->IniPath()));

        PortCfgData() = {};
        Start();
        QCOMPARE(Kinds()->currentIndex(), int(PortKind::Network));
        QCOMPARE(FindPanelControl<QComboBox>(m_framed->Panel(), kEthHostId)->currentText(),
                 QStringLiteral("printer.local"));
        QCOMPARE(FindPanelControl<QLineEdit>(m_framed->Panel(), kEthPortId)->text(),
                 QStringLiteral("9100"));
        QVERIFY(m_framed->Find<QCheckBox>(ViewId::kCountSend)->isChecked());
        QVERIFY(!m_framed->Find<QCheckBox>(ViewId::kCountRecv)->isChecked());
    }

    // A block that fails its check takes every other value of the section with it.
    void damagedBlockKeepsDefaults()
    {
        SaveSection(3, true);
        const QByteArray text = FileBytes(m_sandbox->IniPath());
        QVERIFY(text.contains("PortCfgDataCS=0"));
        QVERIFY(WriteFileBytes(m_sandbox->IniPath(),
                               QByteArray(text).replace("PortCfgDataCS=0", "PortCfgDataCS=1")));

        MessageBoxWatcher catcher;
        Start();
        QCOMPARE(catcher.Texts(),
                 QStringList{QStringLiteral("配置文件中参数无效，将使用默认配置！")});
        QCOMPARE(Kinds()->currentIndex(), 0);
        QVERIFY(!m_framed->Find<QCheckBox>(ViewId::kCountRecv)->isChecked());
    }

    // Closing the window saves into the directory where the program started,
    // whatever the current directory is by then.
    void fileStaysInStartDirectory()
    {
        Start();
        QTemporaryDir elsewhere;
        QDir::setCurrent(elsewhere.path());
        m_framed->Frame().close();
        QVERIFY(QFile::exists(m_sandbox->IniPath()));
        m_framed.reset();
        QVERIFY(!QFile::exists(elsewhere.filePath(QStringLiteral("rvcfg.ini"))));
    }

private:
    void SaveSection(int selPort, bool countRecv)
    {
        RvConfigValues values;
        values.selPort = selPort;
        values.countRecv = countRecv;
        QCOMPARE(SaveRvConfig(m_sandbox->IniPath().toStdString(), values, tagPORT_CFG_DATA{}),
                 RvSaveResult::Saved);
    }
    QComboBox *Kinds() const { return m_framed->Find<QComboBox>(ViewId::kPortKind); }
};

QTEST_MAIN(TestViewConfig)
#include "tst_viewconfig.moc"
