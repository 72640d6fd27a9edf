// The far ends of the five port kinds: a loopback TCP peer (network), a
// pseudo-terminal (serial), a FIFO (parallel), a private CUPS queue (printer
// driver) and the fake USB printer device with the real USB port class (USB).
#include "e2efixture.h"

#include "fakeusbdevice.h"
#include "panels/parallelcfgdlg.h"
#include "panels/serialcfgdlg.h"
#include "port/devicemap.h"
#include "port/printerport.h"
#include "port/usbport.h"
#include "privatecupsd.h"
#include "realport.h"
#include "stringtable.h"

#include <QTableWidget>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
// True when another program could take the device for itself now.
bool DeviceIsFree(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const bool free = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0)
        ::close(fd);
    return free;
}

void ClickListRow(CFramedView &framed, int listId, const QString &rowText)
{
    auto *list = FindPanelControl<QTableWidget>(framed.Panel(), listId);
    QVERIFY(list);
    const QList<QTableWidgetItem *> rows = list->findItems(rowText, Qt::MatchExactly);
    QCOMPARE(rows.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(rows.first()).center());
    QVERIFY(rows.first()->isSelected());
}

class CNetworkPeer final : public CE2eFarEnd
{
public:
    PortKind Kind() const override { return PortKind::Network; }
    bool Prepare(QString &whyNot) override
    {
        whyNot = QStringLiteral("cannot listen on 127.0.0.1");
        return m_server.listen(QHostAddress::LocalHost, 0);
    }
    void SetUpPanel(CFramedView &framed) override
    {
        framed.TypeNetworkTarget(m_server.serverPort());
    }
    void OnOpened() override
    {
        QTRY_VERIFY_WITH_TIMEOUT(m_server.hasPendingConnections(), E2e::kWaitMs);
        m_peer = m_server.nextPendingConnection();
    }
    QByteArray Arrived() override
    {
        if (m_peer)
            m_arrived += m_peer->readAll();
        return m_arrived;
    }
    bool CanAnswer() const override { return true; }
    void Offer(const QByteArray &bytes) override
    {
        m_peer->write(bytes);
        m_peer->flush();
    }
    void CheckAfterClose() override
    {
        QTRY_COMPARE_WITH_TIMEOUT(m_peer->state(), QAbstractSocket::UnconnectedState, E2e::kWaitMs);
    }

private:
    QTcpServer m_server;
    QTcpSocket *m_peer = nullptr; // owned by m_server
    QByteArray m_arrived;
};

// The serial kind on a pseudo-terminal, the parallel kind on a FIFO on LPT1
// (nothing to choose in its panel); a thread drains either, as a printer does.
class CDeviceFarEnd final : public CE2eFarEnd
{
public:
    explicit CDeviceFarEnd(RealKind kind) : m_kind(kind) {}
    ~CDeviceFarEnd() override { ClearDeviceOverrides(); }
    PortKind Kind() const override { return IsSerial() ? PortKind::Serial : PortKind::Parallel; }
    bool Prepare(QString &whyNot) override
    {
        whyNot = QStringLiteral("no pseudo-terminal or FIFO");
        m_device = std::make_unique<CRealDevice>(m_kind);
        return m_device->IsValid();
    }
    void SetUpPanel(CFramedView &framed) override
    {
        if (!IsSerial()) {
            QVERIFY(qobject_cast<CParallelCfgDlg *>(framed.Panel()));
            return;
        }
        QVERIFY(qobject_cast<CSerialCfgDlg *>(framed.Panel()));
        auto *port = FindPanelControl<QComboBox>(framed.Panel(), kSerialPortId);
        auto *baud = FindPanelControl<QComboBox>(framed.Panel(), kSerialBaudId);
        QVERIFY(port && baud);
        const QString entry =
            QStringLiteral("COM1 (%1)").arg(QString::fromStdString(m_device->Path()));
        QVERIFY2(port->findText(entry) >= 0, qPrintable(entry));
        port->setCurrentIndex(port->findText(entry));
        QVERIFY(baud->findText(QStringLiteral("115200")) >= 0);
        baud->setCurrentIndex(baud->findText(QStringLiteral("115200")));
    }
    QByteArray Arrived() override { return QByteArray::fromStdString(m_device->FarEnd().Bytes()); }
    bool CanAnswer() const override { return IsSerial(); }
    void Offer(const QByteArray &bytes) override
    {
        QVERIFY(m_device->WriteFarEnd(bytes.toStdString()));
    }
    void CheckAfterClose() override { QVERIFY(DeviceIsFree(m_device->Path())); }

private:
    bool IsSerial() const { return m_kind == RealKind::SerialPty; }

    RealKind m_kind;
    std::unique_ptr<CRealDevice> m_device;
};

class CPrinterQueue final : public CE2eFarEnd
{
public:
    PortKind Kind() const override { return PortKind::Printer; }
    // The scheduler points the process's CUPS clients at itself, so it runs
    // before the window asks for the queues.
    bool Prepare(QString &whyNot) override
    {
        std::string reason;
        const bool ready = m_cupsd.Start(reason) && m_cupsd.AddRawQueue(kQueue, reason);
        whyNot = QString::fromStdString(reason);
        return ready;
    }
    void SetUpPanel(CFramedView &framed) override
    {
        ClickListRow(framed, kPrinterListId, QString::fromLatin1(kQueue));
    }
    // The jobs' bytes in job order.
    QByteArray Arrived() override
    {
        QByteArray bytes;
        for (const CapturedJob &job : m_cupsd.Jobs(kQueue))
            bytes += QByteArray::fromStdString(job.data);
        return bytes;
    }
    void CheckAfterClose() override
    {
        for (const CapturedJob &job : m_cupsd.Jobs(kQueue))
            QCOMPARE(job.title, std::string(kPrinterJobTitle));
    }

private:
    static constexpr char kQueue[] = "tarvik_e2e";
    CPrivateCupsd m_cupsd;
};

// The real USB port class on the fake printer device number 3.
class CUsbFake final : public CE2eFarEnd
{
public:
    PortKind Kind() const override { return PortKind::Usb; }
    bool Prepare(QString &) override { return true; }
    CTarvikView::PortFactory Factory() override
    {
        return [this](PortKind kind) -> std::unique_ptr<CPortEx> {
            if (kind == PortKind::Usb)
                return std::make_unique<CUsbPort>(m_devices);
            return CViewPort::CreateSystemPort(kind);
        };
    }
    std::optional<PanelProviders> Providers() override
    {
        PanelProviders providers;
        providers.usbDevices = [this] {
            std::vector<int> numbers;
            for (const int8_t *n = EnumUsbDevices(m_devices); *n >= 0; ++n)
                numbers.push_back(*n);
            return numbers;
        };
        return providers;
    }
    void SetUpPanel(CFramedView &framed) override
    {
        ClickListRow(framed, kUsbListId, QStringLiteral("QX-USB-Port 3"));
    }
    QByteArray Arrived() override
    {
        return QByteArray::fromStdString(m_devices.With([](auto &s) { return s.written; }));
    }
    bool CanAnswer() const override { return true; }
    void Offer(const QByteArray &bytes) override
    {
        m_devices.With([&](auto &s) { s.incoming += bytes.toStdString(); });
    }
    // The USB kind opens with receiving off.
    void EnableReceive(CFramedView &framed) override
    {
        QPushButton *pause = framed.Button(ViewId::kPauseRecv);
        QCOMPARE(pause->text(), LoadString(IDS_CONTINUE_RECEIVE));
        QTest::mouseClick(pause, Qt::LeftButton);
        QCOMPARE(pause->text(), LoadString(IDS_PAUSE_RECEIVE));
    }

private:
    CFakeUsbDevices m_devices{{3}};
};
} // namespace

QStringList FarEndNames()
{
    return {QStringLiteral("network"), QStringLiteral("serial"), QStringLiteral("parallel"),
            QStringLiteral("printer"), QStringLiteral("usb")};
}

std::unique_ptr<CE2eFarEnd> MakeFarEnd(const QString &name)
{
    if (name == u"network")
        return std::make_unique<CNetworkPeer>();
    if (name == u"serial" || name == u"parallel")
        return std::make_unique<CDeviceFarEnd>(name == u"serial" ? RealKind::SerialPty
                                                                 : RealKind::ParallelFifo);
    if (name == u"printer")
        return std::make_unique<CPrinterQueue>();
    return name == u"usb" ? std::make_unique<CUsbFake>() : nullptr;
}
