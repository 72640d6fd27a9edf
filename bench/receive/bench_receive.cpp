// What the user waits for when a stream comes in: the main window (offscreen
// unless a platform is chosen) opens a port through its own controls, a
// writer thread plays the far end, and the clock runs from the first byte
// written until the receive counter and the receive view both show the last
// byte. The same stream drained from the same kind of channel by a plain
// reader thread, in the same run, is the baseline (the best of three drains).
//
//   bench_receive --kind serial|network --data KIND --mib N [--log raw|hex|text]
//                 [--codepage NAME]
//                              (--log: the capture log on, into a temporary
//                              file; a LOG line gives its size; --codepage:
//                              the text code page chosen in the window)
//   bench_receive --kind find|save --mib N
//                              fills the history through the serial kind
//                              (lf-text with a mark in its first MiB), then
//                              finds the mark from the end with the window's
//                              find, or saves the history to a file
//   bench_receive --kind preview --mib N
//                              a file of N MiB of receipts sent to a loopback
//                              peer without and with the receipt preview
//                              shown (previewcase.cpp)
//   bench_receive --all        every case at 10 and 50 MiB through both
//                              kinds, each in a fresh process
//
// Kinds: serial is the serial port on a pseudo-terminal, network the network
// port against a loopback TCP server. Data: lf-text and crlf-text (79
// characters and the line break), random-text and random-hex (random bytes in
// the two notations), no-break (printable ASCII without CR or LF), utf8-text
// (lines of Latin, Cyrillic, CJK and emoji characters in UTF-8, CR LF).
//
// Each case ends with one line:
//   RESULT kind=.. data=.. mib=.. mib_s=.. baseline_mib_s=.. ratio=..
//          last_over_first=.. max_stall_ms=.. rss_mb=.. baseline_last_over_first=..
// last_over_first: the time of the last tenth of the stream over the first
// (tenths as the window took them in, sampled every millisecond; the last
// tenth ends when it is shown; the baseline's is the same for the plain
// reader, which tells a channel that slows by itself);
// max_stall_ms: the largest gap between two ticks of a 10 ms timer on the
// window thread; rss_mb: resident memory after the run. The exit status is 0
// when the history equals the stream. The find and save cases end with
//   RESULT kind=find mib=.. found_ms=.. max_stall_ms=.. rss_mb=..
//   RESULT kind=save mib=.. mib_s=.. max_stall_ms=.. rss_mb=..
// (max_stall_ms: over the find or the save alone).
#include "app/viewhookup.h"
#include "config/regmanage.h"
#include "panels/portcfgpanel.h"
#include "port/devicemap.h"
#include "previewcase.h"
#include "shell/mainframe.h"
#include "view/form/viewids.h"
#include "view/recv/recvview.h"
#include "view/tarvikview.h"
#include "viewmessages.h"
#include "windowdriving.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <arpa/inet.h>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <span>
#include <string>
#include <sys/socket.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr std::size_t kChunk = 64 * 1024;
constexpr std::size_t kLineChars = 79;
constexpr int kTickMs = 10;
constexpr qint64 kRunTimeoutMs = 600000;
const QStringList kKinds = {QStringLiteral("serial"), QStringLiteral("network")};
const QStringList kActions = {QStringLiteral("find"), QStringLiteral("save")};
const QStringList kData = {QStringLiteral("lf-text"),     QStringLiteral("crlf-text"),
                           QStringLiteral("random-text"), QStringLiteral("random-hex"),
                           QStringLiteral("utf8-text"),   QStringLiteral("no-break")};

const QByteArray kFindMark = "TARVIK-FIND-MARK";
constexpr std::size_t kFindMarkAt = 4321;

struct Case
{
    QString action; // empty: receive; find or save
    QString kind = QStringLiteral("serial");
    QString data = QStringLiteral("lf-text");
    int mib = 10;
    int logForm = -1; // the capture log's form (raw, hex, text); -1: no log
    CodePageId codePage = CodePageId::Gbk;
    std::size_t Bytes() const { return std::size_t(mib) << 20; }
};
const QStringList kLogForms = {QStringLiteral("raw"), QStringLiteral("hex"),
                               QStringLiteral("text")};

// ---- the stream: one period of bytes, repeated ----

uint64_t Mix(uint64_t x)
{
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return x;
}

// Text lines repeat after 95 lines (the characters shift by 7 per line);
// random bytes after a megabyte. The writer then only copies.
// 95 lines of words in UTF-8, each line starting one word further on.
std::vector<uint8_t> Utf8TextPeriod()
{
    static const char *const kWords[] = {"Grüße ", "Café ",   "5 € ", "Привет ", "日本語 ",
                                         "台灣 ",  "한국어 ", "😀 ",   "status ", "ok "};
    std::string text;
    for (std::size_t line = 0; line < 95; ++line) {
        for (std::size_t word = 0; word < 12; ++word)
            text += kWords[(line + word) % std::size(kWords)];
        text += "\r\n";
    }
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> StreamPeriod(const QString &data)
{
    if (data == QLatin1String("utf8-text"))
        return Utf8TextPeriod();
    const bool random = data.startsWith(QLatin1String("random"));
    if (random || data == QLatin1String("no-break")) {
        std::vector<uint8_t> period(1 << 20);
        for (std::size_t i = 0; i < period.size(); ++i) {
            const uint8_t byte = uint8_t(Mix(i / 8 + 1) >> (i % 8 * 8));
            period[i] = random ? byte : uint8_t(0x20 + byte % 95);
        }
        return period;
    }
    const bool crlf = data == QLatin1String("crlf-text");
    const std::size_t lineLength = kLineChars + (crlf ? 2 : 1);
    std::vector<uint8_t> period(lineLength * 95);
    for (std::size_t i = 0; i < period.size(); ++i) {
        const std::size_t column = i % lineLength;
        if (column >= kLineChars)
            period[i] = crlf && column == kLineChars ? '\r' : '\n';
        else
            period[i] = uint8_t(0x20 + (i / lineLength * 7 + column) % 95);
    }
    return period;
}

bool WriteAll(int fd, const uint8_t *bytes, std::size_t count)
{
    while (count > 0) {
        const ssize_t n = ::write(fd, bytes, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        count -= std::size_t(n);
    }
    return true;
}

bool HasMark(const Case &c, std::size_t at, std::size_t count)
{
    return !c.action.isEmpty() && at < kFindMarkAt + std::size_t(kFindMark.size()) &&
           kFindMarkAt < at + count;
}

// The stream's `count` bytes at offset `at`, taken from `plain` (the period's
// bytes there): `plain` itself, or a copy in `scratch` with the mark put over it.
const uint8_t *StreamBytes(const Case &c, std::size_t at, const uint8_t *plain, std::size_t count,
                           std::vector<uint8_t> &scratch)
{
    if (!HasMark(c, at, count))
        return plain;
    scratch.assign(plain, plain + count);
    for (std::size_t i = 0; i < std::size_t(kFindMark.size()); ++i)
        if (kFindMarkAt + i >= at && kFindMarkAt + i - at < count)
            scratch[kFindMarkAt + i - at] = uint8_t(kFindMark[qsizetype(i)]);
    return scratch.data();
}

// Writes the whole stream; the clock starts with the first byte.
void WriteStream(int fd, const Case &c, QElapsedTimer &clock, std::atomic<qint64> &startNs)
{
    const std::vector<uint8_t> period = StreamPeriod(c.data);
    startNs = clock.nsecsElapsed();
    for (std::size_t at = 0; at < c.Bytes();) {
        const std::size_t offset = at % period.size();
        const std::size_t count = std::min({kChunk, period.size() - offset, c.Bytes() - at});
        std::vector<uint8_t> marked;
        if (!WriteAll(fd, StreamBytes(c, at, period.data() + offset, count, marked), count))
            return;
        at += count;
    }
}

// Compares what it is fed, in order, with the stream.
class CStreamCheck
{
public:
    explicit CStreamCheck(const Case &c) : m_case(c), m_period(StreamPeriod(c.data)) {}
    void Feed(std::span<const uint8_t> piece)
    {
        while (m_equal && !piece.empty()) {
            const std::size_t offset = m_at % m_period.size();
            const std::size_t count = std::min(piece.size(), m_period.size() - offset);
            std::vector<uint8_t> marked;
            const uint8_t *expected =
                StreamBytes(m_case, m_at, m_period.data() + offset, count, marked);
            m_equal = std::memcmp(piece.data(), expected, count) == 0;
            piece = piece.subspan(count);
            m_at += count;
        }
    }
    bool IsTheStream() const { return m_equal && m_at == m_case.Bytes(); }

private:
    const Case &m_case;
    std::vector<uint8_t> m_period;
    std::size_t m_at = 0;
    bool m_equal = true;
};

// Compared once the clock has stopped.
bool IsTheStream(const Case &c, const CRecvHistory &history)
{
    CStreamCheck check(c);
    for (const CRecvHistory::SharedPiece &piece : history.SharedPieces()) {
        check.Feed(piece.bytes);
        if (piece.record)
            piece.record->DropPages(); // the check's reading is not the window's memory
    }
    return check.IsTheStream();
}

bool FileIsTheStream(const Case &c, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    CStreamCheck check(c);
    std::vector<uint8_t> buffer(8 << 20);
    for (qint64 n;
         (n = file.read(reinterpret_cast<char *>(buffer.data()), qint64(buffer.size()))) > 0;)
        check.Feed({buffer.data(), std::size_t(n)});
    return check.IsTheStream();
}

// ---- the two channels: a pseudo-terminal pair or a loopback connection ----

struct Channel
{
    int farEnd = -1;   // the writer's end
    int nearEnd = -1;  // the reader's end (baseline), or the pty slave kept open
    std::string path;  // pty slave path
    int listener = -1; // network: the server socket
    quint16 port = 0;
    ~Channel()
    {
        for (int fd : {farEnd, nearEnd, listener})
            if (fd >= 0)
                ::close(fd);
    }
};

bool OpenPty(Channel &channel)
{
    char name[128] = {};
    if (::openpty(&channel.farEnd, &channel.nearEnd, name, nullptr, nullptr) != 0)
        return false;
    termios raw{};
    ::tcgetattr(channel.nearEnd, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(channel.nearEnd, TCSANOW, &raw);
    channel.path = name;
    return true;
}

bool Listen(Channel &channel)
{
    channel.listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(channel.listener, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        ::listen(channel.listener, 1) != 0 ||
        ::getsockname(channel.listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return false;
    channel.port = ntohs(address.sin_port);
    return true;
}

// ---- the baseline: a plain reader thread ----

struct Drain
{
    double mibPerSecond = 0;
    double lastOverFirst = 0; // as for the window, between reads
};

Drain DrainOnce(const Case &c)
{
    Channel channel;
    if (c.kind == QLatin1String("serial") ? !OpenPty(channel) : !Listen(channel))
        return {};
    if (c.kind == QLatin1String("network")) {
        channel.nearEnd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(channel.port);
        ::connect(channel.nearEnd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        channel.farEnd = ::accept(channel.listener, nullptr, nullptr);
    }
    QElapsedTimer clock;
    clock.start();
    std::atomic<qint64> startNs{0};
    std::thread writer([&] { WriteStream(channel.farEnd, c, clock, startNs); });
    std::vector<uint8_t> buffer(kChunk);
    std::size_t got = 0;
    const std::size_t total = c.Bytes();
    qint64 tenthNs = -1;
    qint64 nineTenthsNs = -1;
    for (ssize_t n; got < total && (n = ::read(channel.nearEnd, buffer.data(), kChunk)) > 0;) {
        got += std::size_t(n);
        if (tenthNs < 0 && got >= total - total / 10 * 9)
            tenthNs = clock.nsecsElapsed();
        if (nineTenthsNs < 0 && got >= total - total / 10)
            nineTenthsNs = clock.nsecsElapsed();
    }
    const qint64 endNs = clock.nsecsElapsed();
    writer.join();
    if (got != total)
        return {};
    return {double(c.mib) / (double(endNs - startNs) / 1e9),
            double(endNs - nineTenthsNs) / double(tenthNs - startNs)};
}

// ---- the window ----

// Opens the case's port kind as a user would; the far end is then ready.
bool OpenPort(CTarvikView *view, const Case &c, Channel &channel)
{
    if (!WaitFor([view] { return view->PortPanel() != nullptr; }, 5000))
        return false;
    const bool serial = c.kind == QLatin1String("serial");
    if (serial ? !OpenPty(channel) : !Listen(channel))
        return false;
    if (serial)
        SetDeviceOverride("COM1", channel.path); // the serial panel starts on COM1
    else if (!TypeNetworkTarget(view, channel.port))
        return false;
    Find<QPushButton>(view, ViewId::kOpenClose)->click();
    if (!serial) {
        const bool accepted = WaitFor(
            [&] {
                pollfd waiting{channel.listener, POLLIN, 0};
                return ::poll(&waiting, 1, 0) > 0 &&
                       (channel.farEnd = ::accept(channel.listener, nullptr, nullptr)) >= 0;
            },
            5000);
        if (!accepted)
            return false;
    }
    return WaitFor([view] { return Find<QPushButton>(view, ViewId::kSend)->isEnabled(); }, 5000);
}

qint64 ProcessCpuNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

struct Timeline
{
    qint64 startNs = -1;
    // When the window had taken k+1 tenths of the stream.
    std::array<qint64, 9> tenths{-1, -1, -1, -1, -1, -1, -1, -1, -1};
    // The CPU time of the whole process then (the writer included, the
    // kernel's flusher threads not), from the start of the run on.
    qint64 cpuStartNs = 0;
    std::array<qint64, 10> cpuNs{};
    qint64 endNs = -1;   // the counter and the view show the last byte
    qint64 maxGapNs = 0; // between two ticks of the 10 ms timer
};

void Note(Timeline &line, qint64 now, std::size_t shown, std::size_t total, const CRecvView *view)
{
    const std::size_t taken = view->History().Size();
    for (std::size_t k = 0; k < line.tenths.size(); ++k)
        if (line.tenths[k] < 0 && taken >= total - total / 10 * (9 - k))
            line.tenths[k] = now, line.cpuNs[k] = ProcessCpuNs();
    const auto &rows = view->VisibleRows();
    if (line.endNs < 0 && shown >= total && view->History().Size() == total && !rows.empty() &&
        rows.back().end == total)
        line.endNs = now, line.cpuNs.back() = ProcessCpuNs();
}

Timeline Run(CTarvikView *view, const Case &c, int farEnd)
{
    Timeline line;
    line.cpuStartNs = ProcessCpuNs();
    const auto *recv = Find<CRecvView>(view, ViewId::kRecvBox);
    auto *counter = Find<QLineEdit>(view, ViewId::kRecvCount);
    QElapsedTimer clock;
    clock.start();
    std::atomic<qint64> startNs{-1};
    std::thread writer([&] { WriteStream(farEnd, c, clock, startNs); });
    QEventLoop loop;
    qint64 lastTick = clock.nsecsElapsed();
    const auto check = [&] {
        const qint64 now = clock.nsecsElapsed();
        Note(line, now, counter->text().toULongLong(), c.Bytes(), recv);
        if (line.endNs >= 0)
            loop.quit();
    };
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.nsecsElapsed();
        line.maxGapNs = std::max(line.maxGapNs, now - lastTick);
        lastTick = now;
        check();
    });
    QObject::connect(counter, &QLineEdit::textChanged, &loop, check);
    QTimer sampler;
    sampler.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sampler, &QTimer::timeout, &loop, check);
    sampler.start(1);
    QTimer::singleShot(kRunTimeoutMs, &loop, &QEventLoop::quit);
    tick.start(kTickMs);
    loop.exec();
    writer.join();
    line.startNs = startNs;
    return line;
}

double ResidentMb()
{
    std::ifstream status("/proc/self/status");
    for (std::string key; status >> key;) {
        if (key == "VmRSS:") {
            double kb = 0;
            status >> kb;
            return kb / 1024;
        }
    }
    return 0;
}

int Report(const Case &c, const Timeline &line, const Drain &baseline, const CRecvView *recv)
{
    const CRecvHistory &history = recv->History();
    // Before the check, which reads the whole history through this process.
    const double residentMb = ResidentMb();
    const bool exact = line.endNs >= 0 && IsTheStream(c, history);
    if (!exact) {
        std::printf("FAIL kind=%s data=%s mib=%d: %zu of %zu bytes, %s\n", qPrintable(c.kind),
                    qPrintable(c.data), c.mib, history.Size(), c.Bytes(),
                    line.endNs < 0 ? "not all shown" : "history differs");
        return 1;
    }
    const double seconds = double(line.endNs - line.startNs) / 1e9;
    const double mibPerSecond = c.mib / seconds;
    const double first = double(line.tenths.front() - line.startNs);
    const double last = double(line.endNs - line.tenths.back());
    std::printf("RESULT kind=%s data=%s codepage=%s mib=%d mib_s=%.1f baseline_mib_s=%.1f "
                "ratio=%.2f last_over_first=%.2f max_stall_ms=%.0f rss_mb=%.0f "
                "baseline_last_over_first=%.2f\n",
                qPrintable(c.kind), qPrintable(c.data), NameOfCodePage(c.codePage), c.mib,
                mibPerSecond, baseline.mibPerSecond,
                baseline.mibPerSecond > 0 ? mibPerSecond / baseline.mibPerSecond : 0.0,
                last / first, double(line.maxGapNs) / 1e6, residentMb, baseline.lastOverFirst);
    // Each tenth's time, to tell a slowdown that grows with the history
    // from a step caused by something else on the machine.
    std::fprintf(stderr, "TENTHS kind=%s mib=%d ms=", qPrintable(c.kind), c.mib);
    qint64 from = line.startNs;
    for (const qint64 at : line.tenths) {
        std::fprintf(stderr, "%lld,", static_cast<long long>((at - from) / 1000000));
        from = at;
    }
    std::fprintf(stderr, "%lld cpu_ms=", static_cast<long long>((line.endNs - from) / 1000000));
    qint64 cpuFrom = line.cpuStartNs;
    for (const qint64 at : line.cpuNs) {
        std::fprintf(stderr, at == line.cpuNs.front() ? "%lld" : ",%lld",
                     static_cast<long long>((at - cpuFrom) / 1000000));
        cpuFrom = at;
    }
    std::fprintf(stderr, "\n");
    std::fflush(stdout);
    return 0;
}

// How long the window took for an action, until `done`, and the largest
// gap between two ticks of the 10 ms timer meanwhile (an action that holds
// the window thread is a stall of its whole length).
struct Timed
{
    double ms = -1;
    double maxStallMs = 0;
};

Timed TimeOnWindow(const std::function<void()> &start, const std::function<bool()> &done)
{
    const CStallClock clock;
    start();
    Timed timed;
    if (WaitFor(done, int(kRunTimeoutMs)))
        timed.ms = double(clock.ElapsedNs()) / 1e6;
    timed.maxStallMs = clock.MaxStallMs();
    return timed;
}

// The mark searched from the end of the history (the caret is there after
// the reads), as the find dialog asks the view.
int RunFind(const Case &c, CTarvikView *view)
{
    auto *recv = Find<CRecvView>(view, ViewId::kRecvBox);
    recv->setFocus();
    const QString mark = QString::fromLatin1(kFindMark);
    const Timed timed = TimeOnWindow([&] { view->OnViewRequest(kRequestFind, 1, mark); },
                                     [&] { return recv->SelectedText() == mark; });
    if (timed.ms < 0) {
        std::printf("FAIL kind=find mib=%d: not found\n", c.mib);
        return 1;
    }
    std::printf("RESULT kind=find mib=%d found_ms=%.0f max_stall_ms=%.0f rss_mb=%.0f\n", c.mib,
                timed.ms, timed.maxStallMs, ResidentMb());
    return 0;
}

int RunSave(const Case &c, CTarvikView *view, const QString &path)
{
    view->SetSaveFileChooser([path](const QString &) { return path; });
    const Timed timed = TimeOnWindow([&] { Find<QPushButton>(view, ViewId::kSaveRecv)->click(); },
                                     [&] { return QFileInfo::exists(path); });
    const double rss = ResidentMb();
    if (timed.ms < 0 || !FileIsTheStream(c, path)) {
        std::printf("FAIL kind=save mib=%d: the file is not the stream\n", c.mib);
        return 1;
    }
    std::printf("RESULT kind=save mib=%d mib_s=%.1f max_stall_ms=%.0f rss_mb=%.0f\n", c.mib,
                c.mib / (timed.ms / 1000), timed.maxStallMs, rss);
    return 0;
}

// The capture log on in the given form, into `file`, as a user turns it on.
void StartCaptureLog(CTarvikView *view, int form, const QString &file)
{
    view->SetSaveFileChooser([file](const QString &) { return file; });
    view->findChild<QComboBox *>(QStringLiteral("captureForm"))->setCurrentIndex(form);
    view->findChild<QCheckBox *>(QStringLiteral("captureLog"))->click();
}

int RunCase(const Case &c)
{
    // The view keeps its settings in the current folder and the registry;
    // neither is the user's here.
    QTemporaryDir work;
    QTemporaryDir registry;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, registry.path());
    QDir::setCurrent(work.path());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(work.path()));    // not the user's folder
    CRegManage().WriteDword(QStringLiteral("NoAutoShowAbout"), 1); // no modal box at start
    // The best of three: a plain reader on a busy machine varies a lot, and
    // the fastest run is the fairest measure of the channel.
    Drain baseline;
    for (int run = 0; run < 3; ++run)
        if (const Drain drain = DrainOnce(c); drain.mibPerSecond > baseline.mibPerSecond)
            baseline = drain;

    CRegManage reg;
    CMainFrame frame(reg);
    auto *view = new CTarvikView;
    PlugMainView(frame, view);
    frame.show();
    Channel channel;
    if (!OpenPort(view, c, channel)) {
        std::printf("FAIL kind=%s: the port did not open\n", qPrintable(c.kind));
        return 2;
    }
    Find<QCheckBox>(view, ViewId::kCountRecv)->setChecked(true);
    view->SetTextCodePage(c.codePage);
    if (c.data == QLatin1String("random-hex"))
        Find<QCheckBox>(view, ViewId::kHexRecv)->click();
    const QString logFile = work.filePath(QStringLiteral("capture.log"));
    if (c.logForm >= 0)
        StartCaptureLog(view, c.logForm, logFile);
    const Timeline line = Run(view, c, channel.farEnd);
    int status = Report(c, line, baseline, Find<CRecvView>(view, ViewId::kRecvBox));
    if (status == 0 && c.action == QLatin1String("find"))
        status = RunFind(c, view);
    if (status == 0 && c.action == QLatin1String("save"))
        status = RunSave(c, view, work.filePath(QStringLiteral("saved.dat")));
    if (c.logForm >= 0) {
        view->findChild<QCheckBox *>(QStringLiteral("captureLog"))->click(); // closes the file
        std::printf("LOG form=%s file_bytes=%lld\n", qPrintable(kLogForms[c.logForm]),
                    QFileInfo(logFile).size());
    }
    return status;
}

// Every case in a process of its own, so that each resident size is its own.
int RunAll(const QString &program)
{
    int failures = 0;
    for (int mib : {10, 50}) {
        for (const QString &kind : kKinds) {
            for (const QString &data : kData) {
                QProcess child;
                child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
                child.start(program, {QStringLiteral("--kind"), kind, QStringLiteral("--data"),
                                      data, QStringLiteral("--mib"), QString::number(mib)});
                child.waitForFinished(-1);
                std::fputs(child.readAllStandardOutput().constData(), stdout);
                std::fflush(stdout);
                failures += child.exitCode() != 0 ? 1 : 0;
            }
        }
    }
    return failures == 0 ? 0 : 1;
}

bool ParseCase(const QStringList &args, Case &c)
{
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--kind") && kActions.contains(args[i + 1]))
            c.action = args[i + 1];
        else if (args[i] == QLatin1String("--kind"))
            c.kind = args[i + 1];
        else if (args[i] == QLatin1String("--data"))
            c.data = args[i + 1];
        else if (args[i] == QLatin1String("--mib"))
            c.mib = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--log"))
            c.logForm = int(kLogForms.indexOf(args[i + 1]));
        else if (args[i] == QLatin1String("--codepage"))
            c.codePage = CodePageFromName(args[i + 1].toStdString()).value_or(CodePageId::Gbk);
        else
            return false;
    }
    return kKinds.contains(c.kind) && kData.contains(c.data) &&
           (c.logForm >= 0 || !args.contains(QLatin1String("--log")));
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.contains(QLatin1String("--all")))
        return RunAll(app.applicationFilePath());
    if (args.size() == 5 && args[1] == QLatin1String("--kind") &&
        args[2] == QLatin1String("preview") && args[3] == QLatin1String("--mib"))
        return RunPreviewCase(std::max(1, args[4].toInt()));
    Case c;
    if (!ParseCase(args, c)) {
        std::printf("usage: bench_receive --kind serial|network|find|save --data %s --mib N"
                    " [--log raw|hex|text] [--codepage NAME] | --all\n",
                    qPrintable(kData.join(u'|')));
        return 2;
    }
    return RunCase(c);
}
