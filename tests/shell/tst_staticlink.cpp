#include "hyperlink.h"
#include "staticlink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QTest>
#include <QUrl>

// Stands in for the desktop's mail program.
class LinkCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void openLink(const QUrl &url) { opened.append(url); }
};

class TestStaticLink : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void hoverTurnsRedAndLeavingTurnsBlue();
    void openedLinkTurnsPurple();
    void unopenableLinkKeepsColour();
    void emptyTargetFallsBackToText();
    void hyperlinkRefusesEmptyTarget();

private:
    void Hover();
    void Leave();

    LinkCatcher m_catcher;
    CStaticLink *m_link = nullptr;
};

void TestStaticLink::initTestCase()
{
    QDesktopServices::setUrlHandler(QStringLiteral("tarviktest"), &m_catcher, "openLink");
}

void TestStaticLink::cleanupTestCase()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("tarviktest"));
}

void TestStaticLink::init()
{
    m_catcher.opened.clear();
    m_link = new CStaticLink;
    m_link->setText(QStringLiteral("support@example.com"));
    m_link->setGeometry(300, 300, 200, 20); // away from where the pointer rests
    m_link->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_link));
}

void TestStaticLink::cleanup()
{
    delete m_link;
}

void TestStaticLink::Hover()
{
    const QPointF inside(5, 5);
    QEnterEvent enter(inside, inside, m_link->mapToGlobal(inside));
    QApplication::sendEvent(m_link, &enter);
}

void TestStaticLink::Leave()
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(m_link, &leave);
}

void TestStaticLink::hoverTurnsRedAndLeavingTurnsBlue()
{
    QCOMPARE(m_link->TextColour(), QColor(0, 0, 255));
    Hover();
    QCOMPARE(m_link->TextColour(), QColor(255, 0, 0));
    QCOMPARE(m_link->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    Leave();
    QCOMPARE(m_link->TextColour(), QColor(0, 0, 255));
}

void TestStaticLink::openedLinkTurnsPurple()
{
    m_link->SetLink(QStringLiteral("tarviktest:support@example.com"));
    Hover();
    QTest::mouseClick(m_link, Qt::LeftButton);
    QCOMPARE(m_catcher.opened.size(), 1);
    QCOMPARE(m_catcher.opened.at(0).toString(), QStringLiteral("tarviktest:support@example.com"));
    QCOMPARE(m_link->TextColour(), QColor(128, 0, 128));
    Leave();
    QCOMPARE(m_link->TextColour(), QColor(0, 0, 255));
}

void TestStaticLink::unopenableLinkKeepsColour()
{
    m_link->SetLink(QStringLiteral("http://["));
    QTest::mouseClick(m_link, Qt::LeftButton);
    QCOMPARE(m_link->TextColour(), QColor(0, 0, 255));
    QTest::mouseClick(m_link, Qt::RightButton);
    QCOMPARE(m_catcher.opened.size(), 0);
}

void TestStaticLink::emptyTargetFallsBackToText()
{
    m_link->setText(QStringLiteral("tarviktest:from-text"));
    QTest::mouseClick(m_link, Qt::LeftButton);
    QCOMPARE(m_catcher.opened.size(), 1);
    QCOMPARE(m_link->Link().Target(), QStringLiteral("tarviktest:from-text"));
    QCOMPARE(m_link->TextColour(), QColor(128, 0, 128));
}

void TestStaticLink::hyperlinkRefusesEmptyTarget()
{
    QVERIFY(!CHyperlink().Navigate());
    QVERIFY(!CHyperlink(QStringLiteral("no scheme")).Navigate());
    QVERIFY(CHyperlink(QStringLiteral("tarviktest:x")).Navigate());
    QCOMPARE(m_catcher.opened.size(), 1);
}

QTEST_MAIN(TestStaticLink)
#include "tst_staticlink.moc"
