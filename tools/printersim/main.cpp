// tarvik-printersim: listens on a loopback TCP port like a network printer,
// records every byte it receives, answers real-time status requests and, when
// asked, prints the receipts as images.
#include "simrender.h"
#include "statusparser.h"

#include <QGuiApplication>
#include <memory>

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const char kUsage[] =
    "Usage: tarvik-printersim [--port N] [--out FILE] [--status CONDITION]\n"
    "                         [--render DIR [--paper 58|80]]\n"
    "\n"
    "A network printer on 127.0.0.1 for trying out and testing Tarvik.\n"
    "\n"
    "  --port N    TCP port to listen on (default 9100); 0 lets the system choose.\n"
    "              The port in use is printed on standard output as one line.\n"
    "  --out FILE  append every byte received to FILE (created if missing).\n"
    "  --status CONDITION\n"
    "              answer status requests as a printer in this condition (default\n"
    "              online); 'silent' answers nothing. Conditions:\n"
    "              %s.\n"
    "  --render DIR\n"
    "              print what arrives: each receipt (ended by a cut or by the\n"
    "              connection closing) becomes DIR/receipt-NNNN.png, its report of\n"
    "              commands not printed DIR/receipt-NNNN.txt; one line per receipt\n"
    "              on standard output.\n"
    "  --paper 58|80\n"
    "              roll width for --render: 384 or 576 dots (default 80).\n"
    "  --help      show this text.\n"
    "\n"
    "Connections are served one after another; a new one is accepted when the\n"
    "current one is closed by the client. Status requests answered at once:\n"
    "  DLE EOT n (10 04 n), n = 1..4    -> one status byte (online: 12)\n"
    "  GS r n    (1D 72 n), n = 1,2,49,50 -> one sensor byte (online: 00)\n"
    "All bytes, status requests included, are recorded. SIGTERM or SIGINT ends\n"
    "the program cleanly.\n"
    "\n"
    "Exit status: 0 after a clean end or --help, 1 when the port or the --out file\n"
    "cannot be opened, 2 for a bad argument (named on standard error).\n";

constexpr int kExitBadArguments = 2;

struct Options
{
    int port = 9100;
    std::string outPath;
    SimPrinterStatus status;
    std::string renderDir;
    int paperWidth = Receipt::CReceiptPrinter::kPaper80;
};

void PrintUsage(FILE *to)
{
    std::fprintf(to, kUsage, SimConditionNames().c_str());
}

bool ParseCondition(const char *name, SimPrinterStatus &status)
{
    const std::optional<SimPrinterStatus> found = SimStatusForCondition(name);
    if (found)
        status = *found;
    return found.has_value();
}

int g_wakePipe[2] = {-1, -1};

void OnStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(g_wakePipe[1], &byte, 1);
}

bool ParsePort(const char *text, int &port)
{
    char *end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || value < 0 || value > 65535)
        return false;
    port = static_cast<int>(value);
    return true;
}

bool ParsePaper(const std::string &text, int &width)
{
    if (text != "58" && text != "80")
        return false;
    width = text == "58" ? Receipt::CReceiptPrinter::kPaper58 : Receipt::CReceiptPrinter::kPaper80;
    return true;
}

int BadArgument(const std::string &argument, const char *reason)
{
    std::fprintf(stderr, "tarvik-printersim: bad argument '%s': %s\n\n", argument.c_str(), reason);
    PrintUsage(stderr);
    return kExitBadArguments;
}

// Why the value of a known option is bad; null when it is good.
const char *ValueFault(const std::string &option, const char *value, Options &options)
{
    if (option == "--port")
        return ParsePort(value, options.port) ? nullptr : "expects a number from 0 to 65535";
    if (option == "--status")
        return ParseCondition(value, options.status) ? nullptr
                                                     : "is not one of the conditions listed below";
    if (option == "--paper")
        return ParsePaper(value, options.paperWidth) ? nullptr : "expects 58 or 80";
    if (option == "--render")
        options.renderDir = value;
    else
        options.outPath = value;
    return nullptr;
}

// Returns 0 to run, 1 after --help, kExitBadArguments on a usage error.
int ParseOptions(int argc, char **argv, Options &options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            return 1;
        }
        if (arg != "--port" && arg != "--status" && arg != "--out" && arg != "--render" &&
            arg != "--paper")
            return BadArgument(arg, "unknown option");
        if (i + 1 >= argc)
            return BadArgument(arg, "needs a value");
        const char *value = argv[++i];
        if (const char *fault = ValueFault(arg, value, options))
            return BadArgument(arg + " " + value, fault);
    }
    return 0;
}

int ListenOnLoopback(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) < 0 || listen(fd, 4) < 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int BoundPort(int fd)
{
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len);
    return ntohs(addr.sin_port);
}

bool WriteAll(int fd, const char *data, std::size_t length, int flags)
{
    while (length > 0) {
        const ssize_t n = flags ? send(fd, data, length, flags) : write(fd, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

// Serves one connection until the client closes it or a stop signal arrives.
// Returns false when the program should end.
bool ServeConnection(int client, int outFd, const SimPrinterStatus &status, CSimRenderer *paper)
{
    CStatusParser parser(status);
    if (paper)
        paper->Begin();
    struct EndPaper
    {
        CSimRenderer *paper;
        ~EndPaper()
        {
            if (paper)
                paper->End();
        }
    } endPaper{paper};
    pollfd fds[2] = {{client, POLLIN, 0}, {g_wakePipe[0], POLLIN, 0}};
    uint8_t buffer[65536];
    for (;;) {
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            return false;
        if (fds[1].revents)
            return false;
        if (!fds[0].revents)
            continue;
        const ssize_t n = recv(client, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return true;
        if (outFd >= 0 &&
            !WriteAll(outFd, reinterpret_cast<char *>(buffer), static_cast<std::size_t>(n), 0)) {
            std::perror("tarvik-printersim: writing the output file");
            return false;
        }
        const std::string answer = parser.Feed(buffer, static_cast<std::size_t>(n));
        if (!answer.empty())
            WriteAll(client, answer.data(), answer.size(), MSG_NOSIGNAL);
        if (paper)
            paper->Feed(buffer, static_cast<std::size_t>(n));
    }
}

bool StopRequested()
{
    pollfd wake{g_wakePipe[0], POLLIN, 0};
    return poll(&wake, 1, 0) > 0;
}

// Accepts connections one after another; returns when a stop signal arrives.
int Serve(int listener, int outFd, const SimPrinterStatus &status, CSimRenderer *paper)
{
    pollfd fds[2] = {{listener, POLLIN, 0}, {g_wakePipe[0], POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            return 1;
        if (fds[1].revents)
            return 0;
        if (!fds[0].revents)
            continue;
        const int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        const bool goOn = ServeConnection(client, outFd, status, paper);
        close(client);
        if (!goOn)
            return StopRequested() ? 0 : 1;
    }
}

void InstallStopHandlers()
{
    struct sigaction action
    {
    };
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    const int parsed = ParseOptions(argc, argv, options);
    if (parsed != 0)
        return parsed == 1 ? 0 : kExitBadArguments;
    if (pipe2(g_wakePipe, O_CLOEXEC | O_NONBLOCK) < 0)
        return 1;
    InstallStopHandlers();
    int outFd = -1;
    if (!options.outPath.empty()) {
        outFd = open(options.outPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (outFd < 0) {
            std::perror(("tarvik-printersim: " + options.outPath).c_str());
            return 1;
        }
    }
    // Fonts need a QGuiApplication; no window is ever shown.
    std::unique_ptr<QGuiApplication> gui;
    std::unique_ptr<CSimRenderer> paper;
    if (!options.renderDir.empty()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        gui = std::make_unique<QGuiApplication>(argc, argv);
        paper = std::make_unique<CSimRenderer>(options.renderDir, options.paperWidth);
        std::string error;
        if (!paper->Prepare(error)) {
            std::fprintf(stderr, "tarvik-printersim: %s\n", error.c_str());
            return 1;
        }
    }
    const int listener = ListenOnLoopback(options.port);
    if (listener < 0) {
        std::perror("tarvik-printersim: listening");
        return 1;
    }
    std::printf("%d\n", BoundPort(listener));
    std::fflush(stdout);
    const int status = Serve(listener, outFd, options.status, paper.get());
    close(listener);
    if (outFd >= 0)
        close(outFd);
    return status;
}
