#include "privatecupsd.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace fs = std::filesystem;

namespace {

constexpr char kSystemCupsDaemons[] = "/usr/lib/cups/daemon";

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
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

std::string ReadFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

pid_t Spawn(const std::vector<std::string> &args, int outputFd)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outputFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDERR_FILENO);
    }
    std::vector<char *> argv;
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

} // namespace

int RunProgram(const std::vector<std::string> &args, std::string &output)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return -1;
    const pid_t pid = Spawn(args, pipeFds[1]);
    close(pipeFds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

CPrivateCupsd::~CPrivateCupsd()
{
    Stop();
    if (!m_dir.empty()) {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
}

bool CPrivateCupsd::Start(std::string &whyNot)
{
    if (geteuid() != 0) {
        whyNot = "the private cupsd needs root (its capture backend must run as root)";
        return false;
    }
    char dir[] = "/tmp/tarvik-cupsd-XXXXXX";
    if (!mkdtemp(dir)) {
        whyNot = "cannot create a temporary folder";
        return false;
    }
    m_dir = dir;
    if (!WriteConfiguration(whyNot))
        return false;
    setenv("CUPS_SERVER", (m_dir + "/cupsd.sock").c_str(), 1);
    m_pid =
        Spawn({"cupsd", "-f", "-c", m_dir + "/cupsd.conf", "-s", m_dir + "/cups-files.conf"}, -1);
    if (m_pid < 0) {
        whyNot = "cannot run cupsd (package cups-daemon)";
        return false;
    }
    if (!WaitUntilListening()) {
        whyNot =
            "cupsd did not start listening on " + m_dir + "/cupsd.sock; its log:\n" + LogTail();
        Stop();
        return false;
    }
    return true;
}

bool CPrivateCupsd::WriteConfiguration(std::string &whyNot)
{
    const fs::path root(m_dir);
    const mode_t oldMask = umask(022);
    std::error_code ec;
    for (const char *sub : {"bin/backend", "spool/tmp", "cache", "state", "log", "ssl", "out"})
        fs::create_directories(root / sub, ec);
    fs::create_directory_symlink(kSystemCupsDaemons, root / "bin/daemon", ec);
    const bool written =
        WriteFile(root / "bin/backend/capture", kCaptureBackend) &&
        chmod((root / "bin/backend/capture").c_str(), 0700) == 0 &&
        WriteFile(root / "cups-files.conf",
                  "ServerRoot " + m_dir + "\nServerBin " + m_dir + "/bin\nRequestRoot " + m_dir +
                      "/spool\nTempDir " + m_dir + "/spool/tmp\nCacheDir " + m_dir +
                      "/cache\nStateDir " + m_dir + "/state\nServerKeychain " + m_dir +
                      "/ssl\nAccessLog " + m_dir + "/log/access_log\nErrorLog " + m_dir +
                      "/log/error_log\nPageLog " + m_dir + "/log/page_log\nPrintcap " + m_dir +
                      "/printcap\nCreateSelfSignedCerts no\nFileDevice no\n") &&
        WriteFile(root / "cupsd.conf",
                  "Listen " + m_dir +
                      "/cupsd.sock\nLogLevel debug\nBrowsing No\n"
                      "WebInterface No\nDefaultAuthType None\nPreserveJobFiles No\n"
                      "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                      "<Policy default>\n  <Limit All>\n    Order deny,allow\n    Allow all\n"
                      "  </Limit>\n</Policy>\n");
    umask(oldMask);
    if (!written || ec)
        whyNot = "cannot write the private cupsd configuration in " + m_dir;
    return written && !ec;
}

bool CPrivateCupsd::WaitUntilListening()
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string path = m_dir + "/cupsd.sock";
    path.copy(addr.sun_path, sizeof addr.sun_path - 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const bool up = connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
        close(fd);
        if (up)
            return true;
        if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_pid = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

void CPrivateCupsd::Stop()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

std::string CPrivateCupsd::LogTail() const
{
    const std::string log = ReadFile(m_dir + "/log/error_log");
    return log.size() > 4000 ? log.substr(log.size() - 4000) : log;
}

bool CPrivateCupsd::AddRawQueue(const std::string &name, std::string &whyNot)
{
    std::string output;
    const int status =
        RunProgram({"lpadmin", "-p", name, "-E", "-v", "capture:" + m_dir + "/out/" + name, "-o",
                    "printer-error-policy=abort-job"},
                   output);
    if (status != 0)
        whyNot = "lpadmin failed (" + std::to_string(status) + "): " + output + "\n" + LogTail();
    return status == 0;
}

bool CPrivateCupsd::DeleteQueue(const std::string &name)
{
    std::string output;
    return RunProgram({"lpadmin", "-x", name}, output) == 0;
}

std::vector<CapturedJob> CPrivateCupsd::Jobs(const std::string &queue) const
{
    std::vector<CapturedJob> jobs;
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(m_dir + "/out/" + queue, ec)) {
        const fs::path path = entry.path();
        if (path.extension() != ".data" || path.stem().string().rfind("job-", 0) != 0)
            continue;
        CapturedJob job;
        job.id = std::atoi(path.stem().string().substr(4).c_str());
        job.data = ReadFile(path);
        job.title = ReadFile(fs::path(path).replace_extension(".title"));
        jobs.push_back(std::move(job));
    }
    std::sort(jobs.begin(), jobs.end(), [](const auto &a, const auto &b) { return a.id < b.id; });
    return jobs;
}

std::vector<CapturedJob> CPrivateCupsd::WaitForJobs(const std::string &queue,
                                                    std::size_t count) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::vector<CapturedJob> jobs = Jobs(queue);
    while (jobs.size() < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        jobs = Jobs(queue);
    }
    return jobs;
}
