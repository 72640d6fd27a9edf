#include "port/devicemap.h"

#include <dirent.h>
#include <fstream>
#include <grp.h>
#include <sys/stat.h>
#include <vector>

namespace {

// A ttyS node exists for every possible 8250 port; only those with a device
// behind them and a known UART type are real.
bool HasSerialHardware(const std::string &name)
{
    const std::string sys = "/sys/class/tty/" + name;
    struct stat info
    {
    };
    if (::stat((sys + "/device").c_str(), &info) != 0)
        return false;
    std::ifstream type(sys + "/type");
    int uartType = 0;
    return !(type >> uartType) || uartType != 0;
}

} // namespace

std::vector<std::string> ListSerialDevices()
{
    std::vector<std::string> names;
    if (DIR *dir = ::opendir("/dev")) {
        while (const dirent *entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.rfind("ttyS", 0) == 0 && !HasSerialHardware(name))
                continue;
            names.push_back(name);
        }
        ::closedir(dir);
    }
    std::vector<std::string> paths;
    for (const std::string &name : OrderSerialDevices(std::move(names)))
        paths.push_back("/dev/" + name);
    return paths;
}

std::string DeviceGroupName(const std::string &path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return {};
    group entry{};
    group *found = nullptr;
    std::vector<char> buffer(16384);
    if (::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return {};
    return found->gr_name;
}
