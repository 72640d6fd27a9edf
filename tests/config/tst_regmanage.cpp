#include "regmanage.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestRegManage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    }
    void init() { Direct().clear(); }

    void missingOrForeignValueLeavesDefault()
    {
        CRegManage reg;
        uint32_t value = 77;
        QVERIFY(!reg.ReadDword(u"Splitter1Pos"_qs, value));
        QByteArray data("keep");
        QVERIFY(!reg.ReadBinary(u"WindowPlacement"_qs, data));
        QCOMPARE(data, QByteArray("keep"));
        Direct().setValue(u"NoAutoShowAbout"_qs, u"yes"_qs);
        QVERIFY(!reg.ReadDword(u"NoAutoShowAbout"_qs, value));
        Direct().setValue(u"NoAutoShowAbout"_qs, -1);
        QVERIFY(!reg.ReadDword(u"NoAutoShowAbout"_qs, value));
        QCOMPARE(value, 77u);
    }

    void valuesRoundTripWithOrWithoutKeyPathPrefix()
    {
        CRegManage full(u"Software\\Tarvik"_qs);
        CRegManage bare(u"Tarvik"_qs);
        QCOMPARE(full.Organisation(), u"Tarvik"_qs);
        full.WriteDword(u"Splitter2Pos"_qs, 4000000000u);
        uint32_t value = 0;
        QVERIFY(bare.ReadDword(u"Splitter2Pos"_qs, value));
        QCOMPARE(value, 4000000000u);
        QCOMPARE(Direct().value(u"Splitter2Pos"_qs).toULongLong(), 4000000000ull);
        const QByteArray blob("\x01\x00\xff placement", 13);
        bare.WriteBinary(u"WindowPlacement"_qs, blob);
        QByteArray read;
        QVERIFY(full.ReadBinary(u"WindowPlacement"_qs, read));
        QCOMPARE(read, blob);
    }

private:
    static QSettings Direct() { return QSettings(u"Tarvik"_qs, u"Settings"_qs); }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestRegManage)
#include "tst_regmanage.moc"
