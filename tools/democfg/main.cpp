// Writes rvcfg.ini for a demo folder: the network kind selected and its panel
// filled with a host and port, so a newcomer can open a port at once.
//
//   tarvik-democfg FOLDER [HOST] [PORT]     (defaults 127.0.0.1 and 9100)
#include "rvconfig.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

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

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 4) {
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
    if (SaveRvConfig(folder / "rvcfg.ini", values, DemoBlock(host, port)) != RvSaveResult::Saved) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], (folder / "rvcfg.ini").c_str());
        return 1;
    }
    return 0;
}
