#include "buttonex.h"

#include <QSignalSpy>
#include <QTest>

class TestButtonEx : public QObject
{
    Q_OBJECT

private slots:
    void rightButtonHoldsTheMouseUntilReleased();
    void leftClickStillClicks();
};

void TestButtonEx::rightButtonHoldsTheMouseUntilReleased()
{
    CButtonEx button(QStringLiteral("打开端口"));
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QTest::mousePress(&button, Qt::RightButton);
    QCOMPARE(QWidget::mouseGrabber(), &button);
    QVERIFY(button.HasRightCapture());
    QTest::mouseRelease(&button, Qt::RightButton);
    QCOMPARE(QWidget::mouseGrabber(), nullptr);
    QVERIFY(!button.HasRightCapture());
}

void TestButtonEx::leftClickStillClicks()
{
    CButtonEx button(QStringLiteral("打开端口"));
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QSignalSpy clicked(&button, &QPushButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(QWidget::mouseGrabber(), nullptr);
}

QTEST_MAIN(TestButtonEx)
#include "tst_buttonex.moc"
