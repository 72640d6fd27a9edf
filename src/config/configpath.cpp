#include "config/configpath.h"

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace {
constexpr char kAppFolder[] = "Tarvik";

// A set, absolute directory from the environment, else an empty path.
fs::path AbsoluteDir(const char *value)
{
    if (!value || !*value)
        return {};
    fs::path dir(value);
    return dir.is_absolute() ? dir : fs::path();
}
} // namespace

fs::path ChooseConfigFile(const fs::path &currentDir, const char *xdgConfigHome, const char *home)
{
    const fs::path local = currentDir / kConfigFileName;
    std::error_code error;
    if (fs::exists(local, error))
        return local;
    fs::path base = AbsoluteDir(xdgConfigHome);
    if (base.empty()) {
        const fs::path homeDir = AbsoluteDir(home);
        if (homeDir.empty())
            return local;
        base = homeDir / ".config";
    }
    return base / kAppFolder / kConfigFileName;
}

fs::path ConfigFilePath()
{
    std::error_code error;
    fs::path currentDir = fs::current_path(error);
    if (error)
        currentDir = ".";
    return ChooseConfigFile(currentDir, std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

bool MakeConfigFolder(const fs::path &file)
{
    const fs::path folder = file.parent_path();
    if (folder.empty())
        return true;
    std::error_code error;
    fs::create_directories(folder, error);
    return !error && fs::is_directory(folder, error);
}
