#include "port/devicemap.h"

#include "convert/userfile.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <sstream>

namespace {

constexpr const char *kSerialFamilies[] = {"ttyUSB", "ttyACM", "ttyS"};
// The configuration engine refuses larger files too.
constexpr std::size_t kMaxConfigFileSize = 64u * 1024 * 1024;

std::string Upper(std::string text)
{
    for (char &c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string &text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// The number after `prefix` in `name`, or -1.
long NumberAfter(const std::string &name, const std::string &prefix)
{
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return -1;
    const std::string digits = name.substr(prefix.size());
    if (digits.size() > 6 || !std::all_of(digits.begin(), digits.end(), ::isdigit))
        return -1;
    return std::stol(digits);
}

struct Overrides
{
    std::mutex mutex;
    std::map<std::string, std::string> paths; // upper-case name -> path; guarded by mutex
};

Overrides &TheOverrides()
{
    static Overrides overrides;
    return overrides;
}

// The whole file, if it is a regular file of at most kMaxConfigFileSize bytes:
// a FIFO would block the caller and a device might never end.
bool ReadConfigText(const std::string &path, std::string &text)
{
    const UniqueFile file = OpenRegularFile(path.c_str());
    if (!file)
        return false;
    char chunk[64 * 1024];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) {
        text.append(chunk, n);
        if (text.size() > kMaxConfigFileSize)
            return false;
    }
    return !std::ferror(file.get());
}

bool ReadDevicesSection(const std::string &iniPath, std::map<std::string, std::string> &paths)
{
    std::string text;
    if (!ReadConfigText(iniPath, text))
        return false;
    std::istringstream in(text);
    bool inDevices = false;
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[') {
            inDevices = Upper(line) == "[DEVICES]";
            continue;
        }
        const auto equals = line.find('=');
        if (inDevices && equals != std::string::npos && equals > 0)
            paths[Upper(Trim(line.substr(0, equals)))] = Trim(line.substr(equals + 1));
    }
    return true;
}

int FamilyRank(const std::string &name, long &number)
{
    for (int rank = 0; rank < 3; ++rank) {
        number = NumberAfter(name, kSerialFamilies[rank]);
        if (number >= 0)
            return rank;
    }
    return -1;
}

} // namespace

std::string DefaultDevicePath(const std::string &name,
                              const std::vector<std::string> &serialDevices)
{
    const std::string key = Upper(name);
    if (const long n = NumberAfter(key, "COM"); n >= 1)
        return std::size_t(n) <= serialDevices.size() ? serialDevices[std::size_t(n - 1)] : "";
    if (const long n = NumberAfter(key, "LPT"); n >= 1)
        return "/dev/lp" + std::to_string(n - 1);
    if (const long n = NumberAfter(key, "\\\\.\\QXUSB-"); n >= 0)
        return "/dev/usb/lp" + std::to_string(n);
    return {};
}

std::vector<std::string> OrderSerialDevices(std::vector<std::string> names)
{
    struct Keyed
    {
        int rank;
        long number;
        std::string name;
    };
    std::vector<Keyed> keyed;
    for (std::string &name : names) {
        long number = 0;
        const int rank = FamilyRank(name, number);
        if (rank >= 0)
            keyed.push_back({rank, number, std::move(name)});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        return a.rank != b.rank ? a.rank < b.rank : a.number < b.number;
    });
    std::vector<std::string> ordered;
    for (Keyed &entry : keyed)
        ordered.push_back(std::move(entry.name));
    return ordered;
}

std::string DevicePath(const std::string &name)
{
    Overrides &overrides = TheOverrides();
    {
        std::lock_guard lock(overrides.mutex);
        const auto it = overrides.paths.find(Upper(name));
        if (it != overrides.paths.end())
            return it->second;
    }
    // Only COMn needs the devices present.
    const bool serial = NumberAfter(Upper(name), "COM") >= 1;
    return DefaultDevicePath(name, serial ? ListSerialDevices() : std::vector<std::string>{});
}

void SetDeviceOverride(const std::string &name, const std::string &path)
{
    Overrides &overrides = TheOverrides();
    std::lock_guard lock(overrides.mutex);
    if (path.empty())
        overrides.paths.erase(Upper(name));
    else
        overrides.paths[Upper(name)] = path;
}

void ClearDeviceOverrides()
{
    Overrides &overrides = TheOverrides();
    std::lock_guard lock(overrides.mutex);
    overrides.paths.clear();
}

bool LoadDeviceOverrides(const std::string &iniPath)
{
    std::map<std::string, std::string> paths;
    if (!ReadDevicesSection(iniPath, paths))
        return false;
    Overrides &overrides = TheOverrides();
    std::lock_guard lock(overrides.mutex);
    for (auto &[name, path] : paths)
        overrides.paths[name] = path;
    return true;
}
