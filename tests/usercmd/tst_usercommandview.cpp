// The command strip: what a click hands on.
#include "messageboxwatcher.h"
#include "usercommandview.h"

#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace {
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

    void clickHandsOverTheCommandsBytes()
    {
        CUserCommandView strip;
        Show(strip, QSize(250, 60),
             {{QStringLiteral("init"), QByteArray("\x1B\x40")}, {QStringLiteral("no bytes"), {}}});
        QSignalSpy sent(&strip, &CUserCommandView::sendData);
        QTest::mouseClick(strip.Buttons()[0], Qt::LeftButton);
        QTest::mouseClick(strip.Buttons()[1], Qt::LeftButton);
        QCOMPARE(sent.size(), 2);
        QCOMPARE(sent[0][0].toByteArray(), QByteArray("\x1B\x40"));
        QCOMPARE(sent[1][0].toByteArray(), QByteArray());

        // Records emptied behind the buttons' back (a failed save): nothing
        // is sent and the click is refused.
        MessageBoxWatcher watcher;
        strip.Records().clear();
        QTest::mouseClick(strip.Buttons()[1], Qt::LeftButton);
        QCOMPARE(sent.size(), 2);
        QCOMPARE(watcher.Texts(), QStringList(QStringLiteral("Encountered an improper argument.")));
    }
};

QTEST_MAIN(TestUserCommandView)
#include "tst_usercommandview.moc"
