// The command strip: button cells and rows by width, and what a click hands on.
#include "messageboxwatcher.h"
#include "usercmd/usercommandview.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {
QList<CUserCommandView::tagUSER_CMD_DATA> Commands(int count)
{
    QList<CUserCommandView::tagUSER_CMD_DATA> records;
    for (int k = 0; k < count; ++k)
        records.append({QStringLiteral("cmd %1").arg(k), QByteArray(1, char(k))});
    return records;
}

void Show(CUserCommandView &strip, QSize size,
          const QList<CUserCommandView::tagUSER_CMD_DATA> &records)
{
    strip.resize(size);
    strip.show();
    strip.Records() = records;
    strip.OnInitialUpdate();
}
} // namespace

class TestUserCommandView : public QObject
{
    Q_OBJECT

private slots:
    void cellsFillRowsOfTheWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("height");
        QTest::newRow("250: rows of 3, 3, 1") << 250 << 7 << 3 << 90;
        QTest::newRow("248 gives 2 columns") << 248 << 7 << 2 << 120;
        QTest::newRow("no records") << 250 << 0 << 3 << 0;
    }
    void cellsFillRowsOfTheWidth()
    {
        QFETCH(int, width);
        QFETCH(int, count);
        QFETCH(int, columns);
        QFETCH(int, height);
        CUserCommandView strip;
        Show(strip, QSize(width, 400), Commands(count)); // tall enough for no scroll bar
        QCOMPARE(strip.ContentHeight(), height);
        QCOMPARE(strip.Buttons().size(), count);
        for (int k = 0; k < count; ++k) {
            const QRect cell(83 * (k % columns), 30 * (k / columns) + 3, 78, 25);
            QCOMPARE(strip.Buttons()[k]->geometry(), cell);
        }
    }

    void longNamesAreCutAtTheEndWithTheWholeNameAsTip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("cut");
        QTest::addColumn<QString>("tip");
        QTest::addRow("fits") << "init" << QByteArray("\x1B\x40") << false << "init\n1B 40";
        QTest::addRow("long") << "Print the whole status report" << QByteArray("\x10\x04\x01")
                              << true << "Print the whole status report\n10 04 01";
        QTest::addRow("no bytes") << "send box" << QByteArray() << false << "send box";
        QTest::addRow("many bytes") << "logo" << QByteArray(60, '\xAA') << false
                                    << "logo\n" + QStringLiteral("AA ").repeated(48) + "…";
    }
    // A name wider than its cell keeps its beginning; the tool tip has all.
    void longNamesAreCutAtTheEndWithTheWholeNameAsTip()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, cut);
        CUserCommandView strip;
        Show(strip, QSize(250, 60), {{name, bytes}});
        const QPushButton *button = strip.Buttons()[0];
        QTEST(button->toolTip(), "tip");
        const QString shown = button->text();
        if (!cut)
            QCOMPARE(shown, name);
        else
            QVERIFY2(shown.endsWith(u'…') && name.startsWith(shown.chopped(1)), qPrintable(shown));
        QVERIFY(button->fontMetrics().horizontalAdvance(shown) < button->width());
    }

    void clickHandsOverTheCommandsBytes()
    {
        CUserCommandView strip;
        Show(strip, QSize(250, 60),
             {{QStringLiteral("init"), QByteArray("\x1B\x40")}, {QStringLiteral("no bytes"), {}}});
        QSignalSpy sent(&strip, &CUserCommandView::sendData);
        QTest::mouseClick(strip.Buttons()[0], Qt::LeftButton);
        QTest::mouseClick(strip.Buttons()[1], Qt::LeftButton);
        const QList<QVariantList> both{{QByteArray("\x1B\x40")}, {QByteArray()}};
        QCOMPARE(QList<QVariantList>(sent), both);

        // Records emptied behind the buttons' back (a failed save): nothing
        // is sent and the click is refused.
        MessageBoxWatcher watcher;
        strip.Records().clear();
        QTest::mouseClick(strip.Buttons()[1], Qt::LeftButton);
        QCOMPARE(QList<QVariantList>(sent), both);
        QCOMPARE(watcher.Texts(), QStringList(QStringLiteral("Encountered an improper argument.")));
    }
};

QTEST_MAIN(TestUserCommandView)
#include "tst_usercommandview.moc"
