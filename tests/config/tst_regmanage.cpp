#include "regmanage.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestRegManage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void missingValueLeavesDefault();
    void dwordRoundTripsUnderSettingsOfTheOrganisation();
    void binaryRoundTrips();
    void valueOfAnotherKindIsNotANumber();
    void keyPathPrefixIsOptional();

private:
    QTemporaryDir m_dir;
};

void TestRegManage::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
}

void TestRegManage::init()
{
    QSettings(QStringLiteral("Tarvik"), QStringLiteral("Settings")).clear();
}

void TestRegManage::missingValueLeavesDefault()
{
    CRegManage reg;
    uint32_t value = 77;
    QVERIFY(!reg.ReadDword(QStringLiteral("Splitter1Pos"), value));
    QCOMPARE(value, 77u);
    QByteArray data("keep");
    QVERIFY(!reg.ReadBinary(QStringLiteral("WindowPlacement"), data));
    QCOMPARE(data, QByteArray("keep"));
}

void TestRegManage::dwordRoundTripsUnderSettingsOfTheOrganisation()
{
    CRegManage reg(QStringLiteral("Software\\Tarvik"));
    reg.WriteDword(QStringLiteral("Splitter2Pos"), 4000000000u);
    uint32_t value = 0;
    QVERIFY(reg.ReadDword(QStringLiteral("Splitter2Pos"), value));
    QCOMPARE(value, 4000000000u);
    QSettings direct(QStringLiteral("Tarvik"), QStringLiteral("Settings"));
    QCOMPARE(direct.value(QStringLiteral("Splitter2Pos")).toULongLong(), 4000000000ull);
}

void TestRegManage::binaryRoundTrips()
{
    CRegManage reg;
    const QByteArray blob("\x01\x00\xff placement", 13);
    reg.WriteBinary(QStringLiteral("WindowPlacement"), blob);
    QByteArray read;
    QVERIFY(reg.ReadBinary(QStringLiteral("WindowPlacement"), read));
    QCOMPARE(read, blob);
}

void TestRegManage::valueOfAnotherKindIsNotANumber()
{
    CRegManage reg;
    QSettings(QStringLiteral("Tarvik"), QStringLiteral("Settings"))
        .setValue(QStringLiteral("NoAutoShowAbout"), QStringLiteral("yes"));
    uint32_t value = 5;
    QVERIFY(!reg.ReadDword(QStringLiteral("NoAutoShowAbout"), value));
    QCOMPARE(value, 5u);
    QSettings(QStringLiteral("Tarvik"), QStringLiteral("Settings"))
        .setValue(QStringLiteral("NoAutoShowAbout"), -1);
    QVERIFY(!reg.ReadDword(QStringLiteral("NoAutoShowAbout"), value));
}

void TestRegManage::keyPathPrefixIsOptional()
{
    CRegManage full(QStringLiteral("Software\\Tarvik"));
    CRegManage bare(QStringLiteral("Tarvik"));
    QCOMPARE(full.Organisation(), QStringLiteral("Tarvik"));
    QCOMPARE(bare.Organisation(), QStringLiteral("Tarvik"));
    full.WriteDword(QStringLiteral("Splitter1Pos"), 120);
    uint32_t value = 0;
    QVERIFY(bare.ReadDword(QStringLiteral("Splitter1Pos"), value));
    QCOMPARE(value, 120u);
}

QTEST_GUILESS_MAIN(TestRegManage)
#include "tst_regmanage.moc"
