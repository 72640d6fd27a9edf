// Settings records of the port kinds and the stored settings block.
//
// The layouts are a stored format: the block is saved byte for byte in the
// configuration file, so field order, widths and the marker are fixed and
// checked below. All integers are little-endian (the build targets only
// little-endian machines; see the static_assert at the end).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A record holds settings when its marker is this value (bytes AA 55 00 00).
inline constexpr uint32_t kCfgMarkerValid = 0x55AA;
// Port objects start with this marker: "not set up yet" (bytes 55 AA 00 00).
inline constexpr uint32_t kCfgMarkerUnset = 0xAA55;

struct tagSERIAL_CFG
{
    uint32_t dwPort = 0;     // n of COMn (in the stored block: the port list index)
    uint32_t dwBaudRate = 0; // bits per second
    uint8_t byParity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t byDataBits = 0;  // 4..8 (in the stored block: the data-bits list index)
    uint8_t byStopBits = 0;  // 0 one, 1 one and a half, 2 two
    uint8_t byAlign = 0;     // never read
    uint32_t dwFlowCtrl = 0; // 0 none, 1 hardware (DTR/DSR), 2 XON/XOFF
    uint32_t dwMarker = 0;
};

struct tagPARALLEL_CFG
{
    uint32_t dwPort = 0; // n of LPTn; only the low byte is used, as one digit
    uint32_t dwReserved = 0;
    uint32_t dwMarker = 0;
};

inline constexpr std::size_t kEthernetHostSize = 50;

struct tagETHERNET_CFG
{
    char szHost[kEthernetHostSize] = {}; // zero-terminated name or dotted IPv4 address
    uint16_t wPort = 0;                  // TCP port
    uint32_t dwConnKind = 0;             // 0 TCP, 1 UDP, 2 IPX (the port always uses TCP)
    uint32_t dwMarker = 0;
};

inline constexpr std::size_t kPrinterNameSize = 300;

struct tagPRINTER_CFG
{
    char szPrinter[kPrinterNameSize] = {}; // zero-terminated spooler queue name
    uint32_t dwMarker = 0;
};

// In memory only, never stored: the device path of a USB port.
struct tagUSB_CFG
{
    const char *pszPath = nullptr;
    uint32_t dwLength = 0; // characters, without the terminator
};

// The one process-wide block in which the panels remember their choices.
struct tagPORT_CFG_DATA
{
    tagSERIAL_CFG serial;
    tagPARALLEL_CFG parallel;
    tagETHERNET_CFG ethernet;
    tagPRINTER_CFG printer;
};

static_assert(sizeof(tagSERIAL_CFG) == 20);
static_assert(offsetof(tagSERIAL_CFG, dwBaudRate) == 4);
static_assert(offsetof(tagSERIAL_CFG, byParity) == 8);
static_assert(offsetof(tagSERIAL_CFG, byDataBits) == 9);
static_assert(offsetof(tagSERIAL_CFG, byStopBits) == 10);
static_assert(offsetof(tagSERIAL_CFG, byAlign) == 11);
static_assert(offsetof(tagSERIAL_CFG, dwFlowCtrl) == 12);
static_assert(offsetof(tagSERIAL_CFG, dwMarker) == 16);
static_assert(sizeof(tagPARALLEL_CFG) == 12);
static_assert(offsetof(tagPARALLEL_CFG, dwMarker) == 8);
static_assert(sizeof(tagETHERNET_CFG) == 60);
static_assert(offsetof(tagETHERNET_CFG, wPort) == 50);
static_assert(offsetof(tagETHERNET_CFG, dwConnKind) == 52);
static_assert(offsetof(tagETHERNET_CFG, dwMarker) == 56);
static_assert(sizeof(tagPRINTER_CFG) == 304);
static_assert(offsetof(tagPRINTER_CFG, dwMarker) == 300);
static_assert(sizeof(tagPORT_CFG_DATA) == 396);
static_assert(offsetof(tagPORT_CFG_DATA, parallel) == 20);
static_assert(offsetof(tagPORT_CFG_DATA, ethernet) == 32);
static_assert(offsetof(tagPORT_CFG_DATA, printer) == 92);
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the stored block is little-endian");

inline constexpr std::size_t kPortCfgDataSize = sizeof(tagPORT_CFG_DATA);
// Two hex digits per byte, joined by commas.
inline constexpr std::size_t kPortCfgTextLength = kPortCfgDataSize * 3 - 1;

// The process-wide block, zero at start.
tagPORT_CFG_DATA &PortCfgData();

// "PortCfgData": the bytes as upper-case hex pairs joined by ",".
std::string PortCfgDataToText(const tagPORT_CFG_DATA &block);
// "PortCfgDataCS": the plain byte sum in decimal.
uint32_t PortCfgDataChecksum(const tagPORT_CFG_DATA &block);

enum class PortCfgParse
{
    Accepted, // the block was replaced
    Empty,    // no text: block untouched, nothing to report
    Invalid   // wrong length, bad hex or checksum mismatch: block untouched
};

// Reads the stored text form back; replaces `block` only when the text gives
// exactly 396 bytes whose sum equals `checksumText` read as a decimal number.
PortCfgParse PortCfgDataFromText(std::string_view dataText, std::string_view checksumText,
                                 tagPORT_CFG_DATA &block);
