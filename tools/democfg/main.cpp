// Writes rvcfg.ini for a demo folder: the network kind selected and its panel
// filled with a host and port, so a newcomer can open a port at once, and a
// few command buttons that the printer simulator understands.
//
//   tarvik-democfg FOLDER [HOST] [PORT]     (defaults 127.0.0.1 and 9100)
#include "config/inifile.h"
#include "config/rvconfig.h"
#include "convert/convert.h"
#include "stringtable.h"

#include <QStringEncoder>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kNetworkKind = 3;

bool ParsePort(const char *text, uint16_t &port)
{
    char *end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > 65535)
        return false;
    port = static_cast<uint16_t>(value);
    return true;
}

tagPORT_CFG_DATA DemoBlock(const std::string &host, uint16_t port)
{
    tagPORT_CFG_DATA block{};
    std::strncpy(block.ethernet.szHost, host.c_str(), kEthernetHostSize - 1);
    block.ethernet.wPort = port;
    block.ethernet.dwConnKind = 0;
    block.ethernet.dwMarker = kCfgMarkerValid;
    return block;
}

struct DemoCommand
{
    const char *name; // UTF-8
    std::string bytes;
};

std::string Gbk(const QString &text)
{
    QStringEncoder encoder("GBK");
    const QByteArray bytes = encoder.encode(text);
    return bytes.toStdString();
}

// A short receipt for the simulator's --render: a title in double size, GBK
// lines, a CODE128 barcode, a QR code and a cut.
std::string SampleReceipt()
{
    using namespace std::string_literals;
    const std::string qr = "https://tarvik.example/demo";
    std::string bytes =
        "\x1B\x40\x1B\x61\x01\x1D\x21\x11Tarvik\n\x1D\x21\x00"s;  // ESC @, centre, GS ! 0x11
    bytes += Gbk(QStringLiteral("示例小票\n")) + "\x1B\x61\x00"s; // ESC a 0
    bytes += Gbk(QStringLiteral("商品：热敏纸 80mm    1 x 12.50\n合计：12.50 元\n谢谢惠顾！\n"));
    bytes +=
        "\x1B\x61\x01\x1D\x68\x3C\x1D\x48\x02\x1D\x6B\x49\x0D{BTARVIK-0001"s; // GS h, GS H, GS k 73
    bytes += "\x1D\x28\x6B\x03\x00\x31\x43\x05"s;                             // QR module 5
    bytes += "\x1D\x28\x6B"s + char(qr.size() + 3) + "\x00\x31\x50\x30"s + qr; // QR store
    bytes += "\x1D\x28\x6B\x03\x00\x31\x51\x30\n\x1D\x56\x42\x28"s;            // QR print, cut
    return bytes;
}

const std::vector<DemoCommand> &DemoCommands()
{
    using namespace std::string_literals;
    static const std::vector<DemoCommand> commands{
        {"初始化", "\x1B\x40"s},                // ESC @
        {"查询状态", "\x10\x04\x01"s},          // DLE EOT 1, answered with 12
        {"纸张传感器", "\x1D\x72\x01"s},        // GS r 1, answered with 00
        {"打印问候", "Hello from Tarvik\r\n"s}, // a line of text
        {"切纸", "\x1D\x56\x00"s},              // GS V 0
        {"打印示例小票", SampleReceipt()},
    };
    return commands;
}

std::string HexValue(const std::string &bytes)
{
    ByteString text;
    BytesToHex({reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size()}, text, ',');
    return std::string(text.view());
}

// The section as the program's own save leaves it: count, comment, the
// entries, then the file sorted in descending order.
bool WriteDemoCommands(const std::filesystem::path &ini)
{
    constexpr std::string_view kSection = "UserCmds";
    const auto &commands = DemoCommands();
    bool ok = WriteIniValue(ini, kSection, "CmdCnt", std::to_string(commands.size())) &&
              SetIniSectionComment(ini, kSection,
                                   Gbk(QString::fromUtf8(SourceString(IDS_USER_CMDS_COMMENT))));
    for (std::size_t n = 1; ok && n <= commands.size(); ++n) {
        const DemoCommand &command = commands[n - 1];
        ok = WriteIniValue(ini, kSection, "CmdName" + std::to_string(n),
                           Gbk(QString::fromUtf8(command.name))) &&
             WriteIniValue(ini, kSection, "CmdValue" + std::to_string(n), HexValue(command.bytes));
    }
    return ok && SortIniFile(ini, false);
}

} // namespace

int main(int argc, char **argv)
{
    // An option is never a folder: "--help" once made a folder of that name.
    if (argc < 2 || argc > 4 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: %s FOLDER [HOST] [PORT]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const std::string host = argc > 2 ? argv[2] : "127.0.0.1";
    uint16_t port = 9100;
    if (argc > 3 && !ParsePort(argv[3], port)) {
        std::fprintf(stderr, "%s: bad port number '%s'\n", argv[0], argv[3]);
        return 2;
    }
    if (host.empty() || host.size() >= kEthernetHostSize) {
        std::fprintf(stderr, "%s: host must be 1 to %zu characters\n", argv[0],
                     kEthernetHostSize - 1);
        return 2;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    RvConfigValues values;
    values.selPort = kNetworkKind;
    if (SaveRvConfig(folder / "rvcfg.ini", values, DemoBlock(host, port)) != RvSaveResult::Saved ||
        !WriteDemoCommands(folder / "rvcfg.ini")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], (folder / "rvcfg.ini").c_str());
        return 1;
    }
    return 0;
}
