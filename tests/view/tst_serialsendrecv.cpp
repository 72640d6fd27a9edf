// Sending and receiving through a real serial port: the port opens the slave
// of a pseudo-terminal, the test plays the far end on the master.
#include "viewids.h"
#include "viewsandbox.h"

#include "devicemap.h"
#include "editex.h"
#include "serialcfgdlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

class TestSerialSendRecv : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void burstLongerThanOneReadArrivesWhole();
    void sentTextReachesTheFarEnd();

private:
    QByteArray MasterReads(int count);

    std::unique_ptr<CViewSandbox> m_sandbox;
    std::unique_ptr<CFramedView> m_framed;
    int m_master = -1;
    int m_slave = -1; // kept open so the slave never hangs up between opens
};

void TestSerialSendRecv::init()
{
    PortCfgData() = {};
    m_sandbox = std::make_unique<CViewSandbox>();
    char name[128] = {};
    QVERIFY(::openpty(&m_master, &m_slave, name, nullptr, nullptr) == 0);
    termios raw{};
    ::tcgetattr(m_slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(m_slave, TCSANOW, &raw);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    SetDeviceOverride("COM1", name);

    m_framed = std::make_unique<CFramedView>();
    QVERIFY(m_framed->WaitForStartup());
    m_framed->Find<QComboBox>(ViewId::kPortKind)->setCurrentIndex(int(PortKind::Serial));
    auto *open = m_framed->Find<QPushButton>(ViewId::kOpenClose);
    open->click();
    QTRY_VERIFY(m_framed->Find<QPushButton>(ViewId::kSend)->isEnabled());
}

void TestSerialSendRecv::cleanup()
{
    m_framed.reset();
    m_sandbox.reset();
    ::close(m_master);
    ::close(m_slave);
}

QByteArray TestSerialSendRecv::MasterReads(int count)
{
    QByteArray got;
    (void)QTest::qWaitFor( // a short result is what the caller compares
        [&] {
            char buffer[4096];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0)
                got.append(buffer, n);
            return got.size() >= count;
        },
        5000);
    return got;
}

// A serial port announces data only when more arrives; the view must still
// fetch what is left after a full 1000-byte read.
void TestSerialSendRecv::burstLongerThanOneReadArrivesWhole()
{
    QByteArray burst;
    for (int i = 0; i < 2500; ++i)
        burst.append(char('a' + i % 26));
    QCOMPARE(::write(m_master, burst.constData(), size_t(burst.size())), ssize_t(burst.size()));
    QTRY_COMPARE(m_framed->Find<CEditEx>(ViewId::kRecvBox)->toPlainText(),
                 QString::fromLatin1(burst));
}

void TestSerialSendRecv::sentTextReachesTheFarEnd()
{
    auto *box = m_framed->Find<CEditEx>(ViewId::kSendBox);
    box->setPlainText(QStringLiteral("AT<\\xFF>\n"));
    m_framed->Find<QPushButton>(ViewId::kSend)->click();
    QCOMPARE(MasterReads(5), QByteArray("AT\xFF\r\n"));
    QTRY_VERIFY(m_framed->Find<QPushButton>(ViewId::kSend)->isEnabled());
}

QTEST_MAIN(TestSerialSendRecv)
#include "tst_serialsendrecv.moc"
