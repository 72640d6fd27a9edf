// The port classes of the port library and what the panels list, as the
// running program uses them (tests hand in their own).
#include "port/devicemap.h"
#include "port/ethernetport.h"
#include "port/parallelport.h"
#include "port/printerport.h"
#include "port/serialport.h"
#include "port/spooler.h"
#include "port/usbport.h"
#include "view/viewport.h"

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
        for (const std::string &queue : Spooler::ListQueues())
            names << QString::fromStdString(queue);
        return names;
    };
    providers.devicePath = [](const QString &name) {
        return QString::fromStdString(DevicePath(name.toStdString()));
    };
    return providers;
}
