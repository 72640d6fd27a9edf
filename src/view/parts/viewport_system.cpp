// The port classes of the port library and what the panels list, as the
// running program uses them (tests hand in their own).
#include "port/devicemap.h"
#include "port/ethernetport.h"
#include "port/parallelport.h"
#include "port/printerport.h"
#include "port/serialport.h"
#include "port/spooler.h"
#include "port/usbport.h"
#include "view/parts/viewport.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// The spooler's queues without holding the window: the list is asked on a
// thread of its own and awaited kListWait (the first one, which has no list
// to fall back on, kFirstListWait); a spooler that does not answer by then
// leaves the list it gave last (the thread stays with the spooler until
// the call gives up, and its answer serves the next call).
class CQueueLister
{
public:
    static constexpr std::chrono::milliseconds kListWait{100};
    static constexpr std::chrono::milliseconds kFirstListWait{2000};

    std::vector<std::string> List()
    {
        std::unique_lock lock(m_mutex);
        if (!m_asking) {
            m_asking = true;
            std::thread([this] { Ask(); }).detach();
        }
        // The first list has nothing to fall back on: it may wait longer.
        m_answered.wait_for(lock, m_listed ? kListWait : kFirstListWait,
                            [this] { return !m_asking; });
        return m_last;
    }

private:
    void Ask()
    {
        std::vector<std::string> queues = Spooler::ListQueues();
        const std::lock_guard lock(m_mutex);
        m_last = std::move(queues);
        m_listed = true;
        m_asking = false;
        m_answered.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_answered;
    bool m_asking = false; // guarded by m_mutex, as are the two below
    bool m_listed = false;
    std::vector<std::string> m_last;
};

// Never destroyed: a thread still waiting for the spooler at exit uses it.
CQueueLister &QueueLister()
{
    static CQueueLister *const lister = new CQueueLister;
    return *lister;
}

} // namespace

std::unique_ptr<CPortEx> CViewPort::CreateSystemPort(PortKind kind)
{
    switch (kind) {
    case PortKind::Serial:
        return std::make_unique<CSerialPort>();
    case PortKind::Parallel:
        return std::make_unique<CParallelPort>();
    case PortKind::Usb:
        return std::make_unique<CUsbPort>();
    case PortKind::Network:
        return std::make_unique<CEthernetPort>();
    case PortKind::Printer:
        return std::make_unique<CPrinterPort>();
    }
    return nullptr;
}

PanelProviders CViewPort::SystemPanelProviders()
{
    PanelProviders providers;
    providers.usbDevices = [] {
        std::vector<int> numbers;
        for (const int8_t *n = EnumUsbDevices(); *n >= 0; ++n)
            numbers.push_back(*n);
        return numbers;
    };
    providers.printers = [] {
        QStringList names;
        for (const std::string &queue : QueueLister().List())
            names << QString::fromStdString(queue);
        return names;
    };
    providers.devicePath = [](const QString &name) {
        return QString::fromStdString(DevicePath(name.toStdString()));
    };
    return providers;
}
