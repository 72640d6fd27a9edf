#include "privatecupsd.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Writes each job to its own file and renames it when complete, so a reader
// never sees half a job.
constexpr char kCaptureBackend[] = R"(#!/bin/sh
umask 022
if [ $# -eq 0 ]; then
    echo 'direct capture "Unknown" "Tarvik test capture"'
    exit 0
fi
dir="${DEVICE_URI#capture:}"
mkdir -p "$dir" || exit 1
part="$dir/.job-$1.part"
if [ $# -ge 6 ]; then cat "$6" > "$part"; else cat > "$part"; fi || exit 1
printf '%s' "$3" > "$dir/job-$1.title" || exit 1
mv "$part" "$dir/job-$1.data"
)";

bool WriteFile(const fs::path &path, const std::string &text)
{
    return static_cast<bool>(std::ofstream(path, std::ios::binary) << text);
}

std::string ReadFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs a program to its end: its exit status (-1 if it did not run) and output.
int Run(const QString &program, const QStringList &args, std::string &output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    const bool finished = process.waitForFinished(60000);
    output = process.readAll().toStdString();
    return finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool Listening(const std::string &socketPath)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    socketPath.copy(addr.sun_path, sizeof addr.sun_path - 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool up = connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
    close(fd);
    return up;
}

} // namespace

CPrivateCupsd::~CPrivateCupsd()
{
    m_cupsd.terminate();
    m_cupsd.waitForFinished();
    std::error_code ec;
    if (!m_dir.empty())
        fs::remove_all(m_dir, ec);
}

bool CPrivateCupsd::Start(std::string &whyNot)
{
    char dir[] = "/tmp/tarvik-cupsd-XXXXXX";
    if (geteuid() != 0 || !mkdtemp(dir)) {
        whyNot = "the private cupsd needs root and a temporary folder";
        return false;
    }
    m_dir = dir;
    const fs::path root(m_dir);
    const mode_t oldMask = umask(022);
    std::error_code ec;
    for (const char *sub : {"bin/backend", "spool/tmp", "cache", "state", "log", "ssl", "out"})
        fs::create_directories(root / sub, ec);
    fs::create_directory_symlink("/usr/lib/cups/daemon", root / "bin/daemon", ec);
    std::string files = "CreateSelfSignedCerts no\nFileDevice no\n";
    for (const auto &[key, sub] : {std::pair{"ServerRoot", ""},
                                   {"ServerBin", "/bin"},
                                   {"RequestRoot", "/spool"},
                                   {"TempDir", "/spool/tmp"},
                                   {"CacheDir", "/cache"},
                                   {"StateDir", "/state"},
                                   {"ServerKeychain", "/ssl"},
                                   {"AccessLog", "/log/access_log"},
                                   {"ErrorLog", "/log/error_log"},
                                   {"PageLog", "/log/page_log"},
                                   {"Printcap", "/printcap"}})
        files += std::string(key) + " " + m_dir + sub + "\n";
    const bool written =
        WriteFile(root / "bin/backend/capture", kCaptureBackend) &&
        chmod((root / "bin/backend/capture").c_str(), 0700) == 0 &&
        WriteFile(root / "cups-files.conf", files) &&
        WriteFile(root / "cupsd.conf",
                  "Listen " + m_dir +
                      "/cupsd.sock\nLogLevel debug\nBrowsing No\n"
                      "WebInterface No\nDefaultAuthType None\nPreserveJobFiles No\n"
                      "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                      "<Policy default>\n  <Limit All>\n    Order deny,allow\n    Allow all\n"
                      "  </Limit>\n</Policy>\n");
    umask(oldMask);
    if (!written || ec) {
        whyNot = "cannot write the private cupsd configuration in " + m_dir;
        return false;
    }
    setenv("CUPS_SERVER", (m_dir + "/cupsd.sock").c_str(), 1);
    const QString dirName = QString::fromStdString(m_dir);
    m_cupsd.setStandardOutputFile(QProcess::nullDevice());
    m_cupsd.setStandardErrorFile(QProcess::nullDevice());
    m_cupsd.start("cupsd",
                  {"-f", "-c", dirName + "/cupsd.conf", "-s", dirName + "/cups-files.conf"});
    if (!m_cupsd.waitForStarted()) {
        whyNot = "cannot run cupsd (package cups-daemon)";
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!Listening(m_dir + "/cupsd.sock")) {
        // Waiting for its end also notices a scheduler that stopped at once.
        if (m_cupsd.waitForFinished(20) || m_cupsd.state() == QProcess::NotRunning ||
            std::chrono::steady_clock::now() > deadline) {
            whyNot = "cupsd did not start listening; its log:\n" + LogTail();
            return false;
        }
    }
    return true;
}

std::string CPrivateCupsd::LogTail() const
{
    const std::string log = ReadFile(m_dir + "/log/error_log");
    return log.size() > 4000 ? log.substr(log.size() - 4000) : log;
}

bool CPrivateCupsd::AddRawQueue(const std::string &name, std::string &whyNot)
{
    std::string output;
    const QString queue = QString::fromStdString(name);
    const int status =
        Run("lpadmin",
            {"-p", queue, "-E", "-v", QString::fromStdString("capture:" + m_dir + "/out/") + queue,
             "-o", "printer-error-policy=abort-job"},
            output);
    if (status != 0)
        whyNot = "lpadmin failed (" + std::to_string(status) + "): " + output + "\n" + LogTail();
    return status == 0;
}

bool CPrivateCupsd::DeleteQueue(const std::string &name)
{
    std::string output;
    return Run("lpadmin", {"-x", QString::fromStdString(name)}, output) == 0;
}

std::vector<CapturedJob> CPrivateCupsd::WaitForJobs(const std::string &queue,
                                                    std::size_t count) const
{
    std::vector<CapturedJob> jobs;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    for (;;) {
        std::error_code ec;
        for (const auto &entry : fs::directory_iterator(m_dir + "/out/" + queue, ec)) {
            const fs::path path = entry.path();
            if (path.extension() == ".data" && path.stem().string().rfind("job-", 0) == 0)
                jobs.push_back({std::atoi(path.stem().string().substr(4).c_str()),
                                ReadFile(fs::path(path).replace_extension(".title")),
                                ReadFile(path)});
        }
        if (jobs.size() >= count || std::chrono::steady_clock::now() > deadline)
            break;
        jobs.clear();
        std::this_thread::sleep_for(50ms);
    }
    std::sort(jobs.begin(), jobs.end(), [](const auto &a, const auto &b) { return a.id < b.id; });
    return jobs;
}
