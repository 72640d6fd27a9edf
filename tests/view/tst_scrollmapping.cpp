// The receive view's scroll bar over positions beyond its int range: both
// ends exact, every bar value a fixed point of the round trip, positions in
// order.
#include "view/recv/scrollmapping.h"

#include <QTest>

#include <cstdint>
#include <vector>

Q_DECLARE_METATYPE(uint64_t)

class TestScrollMapping : public QObject
{
    Q_OBJECT

private slots:
    void mapsEndToEndAndBack_data()
    {
        QTest::addColumn<uint64_t>("last");
        QTest::addColumn<int>("limit");
        QTest::addColumn<bool>("scaled");
        QTest::newRow("empty") << uint64_t(0) << INT_MAX << false;
        QTest::newRow("small") << uint64_t(1000) << INT_MAX << false;
        QTest::newRow("int range") << uint64_t(INT_MAX) << INT_MAX << false;
        QTest::newRow("one past") << uint64_t(INT_MAX) + 1 << INT_MAX << true;
        QTest::newRow("a terabyte") << (uint64_t(1) << 40) + 7 << INT_MAX << true;
        QTest::newRow("64 bits") << UINT64_MAX << INT_MAX << true;
        QTest::newRow("low limit") << uint64_t(5'000'003) << 1000 << true;
    }
    void mapsEndToEndAndBack()
    {
        QFETCH(uint64_t, last);
        QFETCH(int, limit);
        QFETCH(bool, scaled);
        const CScrollMapping map(last, limit);
        QCOMPARE(map.BarMaximum() < 0 ? 0 : uint64_t(map.BarMaximum()) != last, scaled);
        QCOMPARE(map.ToBar(0), 0);
        QCOMPARE(map.FromBar(0), uint64_t(0));
        QCOMPARE(map.ToBar(last), map.BarMaximum());
        QCOMPARE(map.FromBar(map.BarMaximum()), last);
        // A bar value's position maps back to it; one between two bar
        // values maps to a position within a step after it.
        const uint64_t step = last / uint64_t(std::max(1, map.BarMaximum())) + 1;
        uint64_t previous = 0;
        for (const int value : Samples(map.BarMaximum())) {
            const uint64_t position = map.FromBar(value);
            QVERIFY2(map.ToBar(position) == value, qPrintable(QString::number(value)));
            QVERIFY(position >= previous);
            previous = position;
            const uint64_t between = std::min(position + step / 2, last);
            const uint64_t back = map.FromBar(map.ToBar(position + step / 2));
            QVERIFY(back >= between && back - between <= step);
        }
    }

private:
    // Bar values at both ends and spread between them, ascending.
    static std::vector<int> Samples(int maximum)
    {
        std::vector<int> values;
        for (int i = 0; i <= 1000; ++i)
            values.push_back(int(int64_t(maximum) * i / 1000));
        values.insert(values.begin() + 1, std::min(maximum, 1));
        values.insert(values.end() - 1, std::max(0, maximum - 1));
        return values;
    }
};

QTEST_MAIN(TestScrollMapping)
#include "tst_scrollmapping.moc"
