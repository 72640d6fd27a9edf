#include "buttonex.h"

#include <QTest>

class TestButtonEx : public QObject
{
    Q_OBJECT

private slots:
    void rightButtonHoldsTheMouseUntilReleased();
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

QTEST_MAIN(TestButtonEx)
#include "tst_buttonex.moc"
