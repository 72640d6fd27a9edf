#include "hyperlink.h"
#include "staticlink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QTest>
#include <QUrl>

#include <memory>

// Stands in for the desktop's mail program.
class LinkCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void openLink(const QUrl &url) { opened.append(url); }
};

namespace {
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kPurple(128, 0, 128);
} // namespace

class TestStaticLink : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("tarviktest"), &m_catcher, "openLink");
    }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("tarviktest")); }
    void init()
    {
        m_catcher.opened.clear();
        m_link = std::make_unique<CStaticLink>();
        m_link->setText(QStringLiteral("support@example.com"));
        m_link->setGeometry(300, 300, 200, 20); // away from where the pointer rests
        m_link->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_link.get()));
    }
    void cleanup() { m_link.reset(); }

    void hoverIsRedOpenedIsPurpleLeavingIsBlue()
    {
        QCOMPARE(m_link->TextColour(), kBlue);
        m_link->SetLink(QStringLiteral("tarviktest:support@example.com"));
        const QPointF inside(5, 5);
        QEnterEvent enter(inside, inside, m_link->mapToGlobal(inside));
        QApplication::sendEvent(m_link.get(), &enter);
        QCOMPARE(m_link->TextColour(), kRed);
        QCOMPARE(m_link->palette().color(QPalette::WindowText), kRed);
        QTest::mouseClick(m_link.get(), Qt::LeftButton);
        QCOMPARE(m_catcher.opened,
                 QList<QUrl>{QUrl(QStringLiteral("tarviktest:support@example.com"))});
        QCOMPARE(m_link->TextColour(), kPurple);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(m_link.get(), &leave);
        QCOMPARE(m_link->TextColour(), kBlue);
    }

    void unopenableLinkKeepsColour()
    {
        m_link->SetLink(QStringLiteral("http://["));
        QTest::mouseClick(m_link.get(), Qt::LeftButton);
        QCOMPARE(m_link->TextColour(), kBlue);
        QTest::mouseClick(m_link.get(), Qt::RightButton);
        QCOMPARE(m_catcher.opened.size(), 0);
        QVERIFY(!CHyperlink().Navigate());
        QVERIFY(!CHyperlink(QStringLiteral("no scheme")).Navigate());
    }

    void emptyTargetFallsBackToText()
    {
        m_link->setText(QStringLiteral("tarviktest:from-text"));
        QTest::mouseClick(m_link.get(), Qt::LeftButton);
        QCOMPARE(m_catcher.opened.size(), 1);
        QCOMPARE(m_link->Link().Target(), QStringLiteral("tarviktest:from-text"));
        QCOMPARE(m_link->TextColour(), kPurple);
    }

private:
    LinkCatcher m_catcher;
    std::unique_ptr<CStaticLink> m_link;
};

QTEST_MAIN(TestStaticLink)
#include "tst_staticlink.moc"
