// What each kind's OpenPort checks before it touches a device: a second open,
// missing settings and a missing owner, one row per kind and case.
#include "port/devicemap.h"
#include "port/ethernetport.h"
#include "port/parallelport.h"
#include "port/porterror.h"
#include "port/printerport.h"
#include "port/serialport.h"
#include "port/usbport.h"
#include "portowner.h"
#include "realport.h"
#include "support/fakeusbdevice.h"
#include "support/loopbackserver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

namespace {

// A closed port of one kind, given valid settings for a device the test
// provides.
struct KindUnderTest
{
    std::string name;
    std::function<std::unique_ptr<CPortEx>()> make;
    std::function<void(CPortEx &)> configure;
};

struct Devices
{
    CRealDevice serial{RealKind::SerialPty};
    CRealDevice parallel{RealKind::ParallelFifo};
    CLoopbackServer server;
    CFakeUsbDevices usb{{0}};
};

std::vector<KindUnderTest> Kinds(Devices &devices)
{
    const auto configure = [](auto record) {
        return [record](CPortEx &port) { ASSERT_EQ(port.SetPortSettings(&record), 1u); };
    };
    const tagETHERNET_CFG network{
        .szHost = "127.0.0.1", .wPort = devices.server.Port(), .dwMarker = kCfgMarkerValid};
    // Opened asynchronously: the queue is looked for later.
    const tagPRINTER_CFG printer{.szPrinter = "no-such-queue", .dwMarker = kCfgMarkerValid};
    static const std::string usbName = UsbDeviceName(0);
    const tagUSB_CFG usb{usbName.c_str(), uint32_t(usbName.size())};
    return {
        {"serial", [] { return std::make_unique<CSerialPort>(); }, configure(SerialCfg())},
        {"parallel", [] { return std::make_unique<CParallelPort>(); }, configure(ParallelCfg())},
        {"network", [] { return std::make_unique<CEthernetPort>(); }, configure(network)},
        {"usb", [&devices] { return std::make_unique<CUsbPort>(devices.usb); }, configure(usb)},
        {"printer", [] { return std::make_unique<CPrinterPort>(); }, configure(printer)},
    };
}

enum class Case
{
    AlreadyOpen,
    NoSettings,
    NoOwner,
};

struct Row
{
    const char *kind;
    Case what;
    uint32_t result;
    std::optional<uint32_t> lastError; // none: left as the kind had it
    const char *trace;                 // the last trace after the call; null: the trace before it
};

const Row kRows[] = {
    {"serial", Case::AlreadyOpen, 1, 0, "CSerialPort::OpenPort - Port already opened!"},
    {"parallel", Case::AlreadyOpen, 1, kPortErrAlreadyInitialized, nullptr},
    {"network", Case::AlreadyOpen, 1, kPortErrAlreadyInitialized, nullptr},
    {"usb", Case::AlreadyOpen, 1, kPortErrAlreadyInitialized,
     "CUsbPort::OpenPort - Port already opened"},
    // The queue look-up's error stays: this kind does not clear the last error.
    {"printer", Case::AlreadyOpen, 1, std::nullopt,
     "CPrinterPort::OpenPort - Port already opened!"},
    {"serial", Case::NoSettings, 0, 0, "CSerialPort::OpenPort - Port hasn't setup!"},
    {"network", Case::NoSettings, 0, 0, "CEthernetPort::OpenPort - Port hasn't setup!"},
    {"usb", Case::NoSettings, 0, 0, nullptr},
    {"printer", Case::NoSettings, 0, 0, "CPrinterPort::OpenPort - Port hasn't setup!"},
    {"serial", Case::NoOwner, 0, 0, "CSerialPort::OpenPort - Parameter not correct!"},
    {"network", Case::NoOwner, 0, 0, "CEthernetPort::OpenPort - No owner window!"},
    // The parallel, USB and printer kinds open without an owner.
    {"parallel", Case::NoOwner, 1, 0, nullptr},
    {"usb", Case::NoOwner, 1, 0, nullptr},
};

} // namespace

TEST(OpenChecks, EachKindAnswersAsItsOwnRulesSay)
{
    Devices devices;
    ASSERT_TRUE(devices.serial.IsValid() && devices.parallel.IsValid());
    ASSERT_NE(devices.server.Port(), 0);
    CTestPortOwner owner;
    for (const Row &row : kRows) {
        SCOPED_TRACE(std::string(row.kind) + " case " + std::to_string(int(row.what)));
        const auto kinds = Kinds(devices);
        const auto kind = std::ranges::find(kinds, row.kind, &KindUnderTest::name);
        ASSERT_NE(kind, kinds.end());
        const auto port = kind->make();
        if (row.what != Case::NoSettings)
            kind->configure(*port);
        if (row.what == Case::AlreadyOpen) {
            owner.Clear();
            ASSERT_EQ(port->OpenPort(owner.Object(), 1, 0, 0), 1u) << port->GetLastTrace();
            // The network kind's connection ends on this thread's events.
            ASSERT_TRUE(ProcessEventsUntil([&] { return owner.CountOf(kPortOpened) > 0; }));
        }
        const std::string before = port->GetLastTrace();
        QObject *const given = row.what == Case::NoOwner ? nullptr : owner.Object();
        EXPECT_EQ(port->OpenPort(given, 1, 0, 0), row.result);
        if (row.lastError) {
            EXPECT_EQ(port->GetLastError(), *row.lastError);
        }
        EXPECT_EQ(port->GetLastTrace(), row.trace ? row.trace : before);
        port->ClosePort();
    }
    ClearDeviceOverrides();
}
