#include "privatecupsd.h"

#include "portowner.h"
#include "support/test_files.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace fs = std::filesystem;
using test_files::ReadBytes;
using namespace std::chrono_literals;

namespace {

// Each backend names itself when the scheduler lists devices. The capture
// backend writes each job to its own file and renames it when complete, so a
// reader never sees half a job; the stalling one never finishes a job, like a
// printer that went away (the scheduler ends it with SIGTERM on a cancel).
const std::pair<const char *, std::string> kBackends[] = {
    {"capture", R"(umask 022
dir="${DEVICE_URI#capture:}"
mkdir -p "$dir" || exit 1
part="$dir/.job-$1.part"
if [ $# -ge 6 ]; then cat "$6" > "$part"; else cat > "$part"; fi || exit 1
printf '%s' "$3" > "$dir/job-$1.title" || exit 1
printf '%s' "$4" > "$dir/job-$1.copies" || exit 1
mv "$part" "$dir/job-$1.data"
)"},
    {"failing",
     std::string("cat > /dev/null\necho 'ERROR: ") + kFailingBackendMessage + "' >&2\nexit 1\n"},
    {"stalling", "cat > /dev/null\nexec sleep 86400\n"}};

bool WriteFile(const fs::path &path, const std::string &text)
{
    return static_cast<bool>(std::ofstream(path, std::ios::binary) << text);
}

// Starts a program; -1 when it cannot.
pid_t Spawn(const std::vector<std::string> &args)
{
    std::vector<char *> argv;
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

// Runs a program to its end: its exit status (-1 if it did not run or was
// killed) and its output with its errors.
int Run(const std::vector<std::string> &args, std::string &output)
{
    std::string command = "exec";
    for (const std::string &arg : args)
        command += " '" + arg + "'"; // no argument here holds a quote
    FILE *out = popen((command + " 2>&1").c_str(), "r");
    char buffer[4096];
    for (std::size_t n; out && (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;)
        output.append(buffer, n);
    const int status = out ? pclose(out) : -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
    if (m_pid > 0) {
        kill(m_pid, SIGCONT); // a frozen scheduler would never see the SIGTERM
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
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
    bool written = true;
    for (const auto &[name, body] : kBackends) {
        const fs::path backend = root / "bin/backend" / name;
        written =
            written &&
            WriteFile(backend, std::string("#!/bin/sh\nif [ $# -eq 0 ]; then\n    echo 'direct ") +
                                   name + " \"Unknown\" \"Tarvik test " + name +
                                   "\"'\n    exit 0\nfi\n" + body) &&
            chmod(backend.c_str(), 0700) == 0;
    }
    written = written && WriteFile(root / "cups-files.conf", files) &&
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
    setenv("CUPS_SERVERROOT", m_dir.c_str(), 1);
    m_pid = Spawn({"cupsd", "-f", "-c", m_dir + "/cupsd.conf", "-s", m_dir + "/cups-files.conf"});
    if (m_pid < 0) {
        whyNot = "cannot run cupsd (package cups-daemon)";
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!Listening(m_dir + "/cupsd.sock")) {
        if (waitpid(m_pid, nullptr, WNOHANG) != 0)
            m_pid = -1; // it ended
        if (m_pid < 0 || std::chrono::steady_clock::now() > deadline) {
            whyNot = "cupsd did not start listening; its log:\n" + LogTail();
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

std::string CPrivateCupsd::LogTail() const
{
    const std::string log = ReadBytes(m_dir + "/log/error_log");
    return log.size() > 4000 ? log.substr(log.size() - 4000) : log;
}

bool CPrivateCupsd::AddQueue(const std::string &name, const std::string &uri, std::string &whyNot)
{
    std::string output;
    const int status = Run(
        {"lpadmin", "-p", name, "-E", "-v", uri, "-o", "printer-error-policy=abort-job"}, output);
    if (status != 0)
        whyNot = "lpadmin failed (" + std::to_string(status) + "): " + output + "\n" + LogTail();
    return status == 0;
}

bool CPrivateCupsd::AddInstance(const std::string &name, const std::string &instance,
                                const std::string &options)
{
    std::ofstream file(m_dir + "/lpoptions", std::ios::app);
    return static_cast<bool>(file << "Dest " << name << "/" << instance << " " << options << "\n");
}

bool CPrivateCupsd::Admin(const std::vector<std::string> &args)
{
    std::string output;
    return Run(args, output) == 0;
}

// Both return once the scheduler has stopped or continued: a signal takes
// effect some time after it is sent.
void CPrivateCupsd::Freeze()
{
    if (m_pid <= 0) // never kill(-1, ...): that is every process
        return;
    kill(m_pid, SIGSTOP);
    waitpid(m_pid, nullptr, WUNTRACED);
}

void CPrivateCupsd::Thaw()
{
    if (m_pid <= 0 || !IsFrozen())
        return;
    kill(m_pid, SIGCONT);
    waitpid(m_pid, nullptr, WCONTINUED);
}

bool CPrivateCupsd::IsFrozen() const
{
    // The state is the first field after the command's closing parenthesis.
    if (m_pid <= 0)
        return false;
    const std::string stat = ReadBytes("/proc/" + std::to_string(m_pid) + "/stat");
    const std::size_t end = stat.rfind(')');
    return end != std::string::npos && end + 2 < stat.size() && stat[end + 2] == 'T';
}

std::vector<CapturedJob> CPrivateCupsd::Jobs(const std::string &queue) const
{
    std::vector<CapturedJob> jobs;
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(m_dir + "/out/" + queue, ec)) {
        const fs::path path = entry.path();
        if (path.extension() == ".data" && path.stem().string().rfind("job-", 0) == 0)
            jobs.push_back(
                {std::atoi(path.stem().string().substr(4).c_str()),
                 ReadBytes(fs::path(path).replace_extension(".title")), ReadBytes(path),
                 std::atoi(ReadBytes(fs::path(path).replace_extension(".copies")).c_str())});
    }
    std::ranges::sort(jobs, {}, &CapturedJob::id);
    return jobs;
}

std::vector<CapturedJob> CPrivateCupsd::WaitForJobs(const std::string &queue,
                                                    std::size_t count) const
{
    std::vector<CapturedJob> jobs;
    PollUntil([&] { return (jobs = Jobs(queue)).size() >= count; }, 30s);
    return jobs;
}
