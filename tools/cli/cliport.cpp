#include "cliport.h"

#include "port/devicemap.h"
#include "port/ethernetport.h"
#include "port/parallelport.h"
#include "port/porterror.h"
#include "port/printerport.h"
#include "port/serialport.h"
#include "port/spooler.h"
#include "port/usbport.h"

#include <filesystem>
#include <map>

namespace {

// Names the window never shows, so an override for them hides no device.
constexpr char kSerialPathName[] = "COM0";
constexpr char kParallelPathName[] = "LPT0";
constexpr int kMaxParallelNumber = 9; // the parallel record holds one digit

bool IsPath(const std::string &device)
{
    return device.find('/') != std::string::npos;
}

// The number after the name's letters ("COM3" -> 3).
uint32_t NameNumber(const std::string &name, std::size_t prefixLength)
{
    return static_cast<uint32_t>(std::stoul(name.substr(prefixLength)));
}

template <class Port, class Record> CliPortResult Configured(const Record &record)
{
    CliPortResult result{std::make_unique<Port>(), {}};
    if (!result.port->SetPortSettings(&record))
        return {nullptr, "the port refused its settings: " + result.port->GetLastTrace()};
    return result;
}

CliPortResult SerialPort(const CliPortTarget &target)
{
    static const std::map<CliFlow, uint32_t> kFlowCodes{
        {CliFlow::None, 0}, {CliFlow::DtrDsr, 1}, {CliFlow::XonXoff, 2}};
    if (!kFlowCodes.contains(target.flow))
        return {nullptr, "the serial port offers no RTS/CTS flow control (dtrdsr holds the "
                         "output on DSR)"};
    tagSERIAL_CFG record;
    record.dwPort = IsPath(target.device) ? 0 : NameNumber(target.device, 3);
    if (IsPath(target.device))
        SetDeviceOverride(kSerialPathName, target.device);
    record.dwBaudRate = target.baud;
    record.byParity = target.parity;
    record.byDataBits = target.dataBits;
    record.byStopBits = target.stopBits;
    record.dwFlowCtrl = kFlowCodes.at(target.flow);
    record.dwMarker = kCfgMarkerValid;
    return Configured<CSerialPort>(record);
}

CliPortResult ParallelPort(const CliPortTarget &target)
{
    tagPARALLEL_CFG record;
    record.dwPort = IsPath(target.device) ? 0 : NameNumber(target.device, 3);
    if (record.dwPort > kMaxParallelNumber)
        return {nullptr, "parallel ports are LPT1 to LPT9"};
    if (IsPath(target.device))
        SetDeviceOverride(kParallelPathName, target.device);
    record.dwMarker = kCfgMarkerValid;
    return Configured<CParallelPort>(record);
}

CliPortResult UsbPort(const CliPortTarget &target)
{
    // The port asks the device map for the name it was given; a path maps to itself.
    if (IsPath(target.device))
        SetDeviceOverride(target.device, target.device);
    const tagUSB_CFG record{target.device.c_str(), static_cast<uint32_t>(target.device.size())};
    return Configured<CUsbPort>(record); // the port copies the path
}

CliPortResult NetworkPort(const CliPortTarget &target)
{
    tagETHERNET_CFG record;
    if (target.host.size() >= kEthernetHostSize)
        return {nullptr, "host names are at most 49 characters"};
    target.host.copy(record.szHost, target.host.size());
    record.wPort = target.tcpPort;
    record.dwMarker = kCfgMarkerValid;
    return Configured<CEthernetPort>(record);
}

CliPortResult PrinterPort(const CliPortTarget &target)
{
    tagPRINTER_CFG record;
    if (target.queue.size() >= kPrinterNameSize)
        return {nullptr, "queue names are at most 299 characters"};
    target.queue.copy(record.szPrinter, target.queue.size());
    record.dwMarker = kCfgMarkerValid;
    return Configured<CPrinterPort>(record);
}

} // namespace

CliPortResult CreateCliPort(const CliPortTarget &target)
{
    switch (target.kind) {
    case CliPortKind::Serial:
        return SerialPort(target);
    case CliPortKind::Parallel:
        return ParallelPort(target);
    case CliPortKind::Usb:
        return UsbPort(target);
    case CliPortKind::Network:
        return NetworkPort(target);
    case CliPortKind::Printer:
        return PrinterPort(target);
    }
    return {nullptr, "unknown port kind"};
}

std::string PortErrorText(uint32_t error, PortKind kind)
{
    static const std::map<uint32_t, const char *> kSpoolerTexts{
        {kSpoolErrNotReady, "the queue is stopped or does not accept jobs"},
        {kSpoolErrJobAborted, "the spooler aborted the job"},
        {kSpoolErrTimeout, "the spooler does not answer (is it running?)"},
        {kSpoolErrUnknownPrinter, "the spooler has no such queue"},
    };
    if (const auto it = kSpoolerTexts.find(error);
        kind == PortKind::Printer && it != kSpoolerTexts.end())
        return it->second;
    const std::string words = SystemErrorDescription(error);
    if (error == kPortErrSharingViolation)
        return "the device is in use by another program (" + words + ")";
    return words.empty() ? "error " + std::to_string(error) : words;
}

std::vector<std::string> ListCliPorts()
{
    std::vector<std::string> targets;
    for (const std::string &path : ListSerialDevices())
        targets.push_back("serial:" + path);
    for (int n = 1; n <= kMaxParallelNumber; ++n) {
        const std::string path = DevicePath("LPT" + std::to_string(n));
        if (std::filesystem::exists(path))
            targets.push_back("parallel:" + path);
    }
    for (const int8_t *n = EnumUsbDevices(); *n >= 0; ++n)
        targets.push_back("usb:" + DevicePath(UsbDeviceName(*n)));
    for (const std::string &queue : Spooler::ListQueues())
        targets.push_back("printer:" + queue);
    return targets;
}
