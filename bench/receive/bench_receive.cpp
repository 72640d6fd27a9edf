// Receive throughput of the main window: the network kind is opened through
// the real window (offscreen unless a platform is chosen) against a loopback
// peer in this process. The peer sends one megabyte at a time in 64 KiB
// chunks and starts the next once the receive counter on screen shows the
// previous one, so each megabyte's time includes reading it, keeping the
// history and bringing the box up to date. The first and the last megabyte
// are compared: a history that makes later reads or updates slower shows as
// a growing ratio.
//
// Everything runs on one thread, so the thread's CPU time per megabyte is
// the measure (wall time is printed too; it suffers on a loaded machine).
//
//   bench_receive [--mb N] [--hex] [--text | --no-crlf] [--log FORM] [--verbose]
//     --mb N     megabytes to receive (default 50)
//     --hex      show the receive box in hex notation
//     --text     printable text lines instead of a random megabyte of every
//                byte value, repeated
//     --no-crlf  random bytes without CR, so the Ascii rendering is one line
//     --log FORM the capture log ("记录到文件") on for every second megabyte,
//                FORM raw, hex or text; prints the logged megabytes' mean
//                cpu time against the others' (the log's cost in this run)
//     --verbose  every megabyte's time
//
// Prints the first and last megabyte, their ratio with PASS or FAIL against
// a ratio of 2, the overall throughput, and whether the saved history equals
// the stream. The exit status is 0 for PASS with an exact history.
#include "mainframe.h"
#include "portcfgpanel.h"
#include "regmanage.h"
#include "tarvikview.h"
#include "viewhookup.h"
#include "viewids.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {
constexpr qint64 kMegabyte = 1 << 20;
constexpr qint64 kChunk = 64 * 1024;
constexpr int kMegabyteTimeoutMs = 600000;
constexpr double kBar = 2.0;

struct Options
{
    int megabytes = 50;
    bool hex = false;
    bool text = false;
    bool noLineBreaks = false;
    bool verbose = false;
    int logForm = -1; // the capture log's form index; -1: no log
};

Options ParseOptions(const QStringList &args)
{
    Options options;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--mb") && i + 1 < args.size())
            options.megabytes = std::max(2, args[++i].toInt());
        else if (args[i] == QLatin1String("--hex"))
            options.hex = true;
        else if (args[i] == QLatin1String("--text"))
            options.text = true;
        else if (args[i] == QLatin1String("--no-crlf"))
            options.noLineBreaks = true;
        else if (args[i] == QLatin1String("--verbose"))
            options.verbose = true;
        else if (args[i] == QLatin1String("--log") && i + 1 < args.size())
            options.logForm = int(QStringList{"raw", "hex", "text"}.indexOf(args[++i]));
    }
    return options;
}

QByteArray MakeStream(const Options &options)
{
    if (options.text) {
        QByteArray stream(options.megabytes * kMegabyte, Qt::Uninitialized);
        const QByteArray line = "PRINTER STATUS 0123456789 READY; PAGES 42; TONER OK\r\n";
        for (qsizetype at = 0; at < stream.size(); ++at)
            stream[at] = line[at % line.size()];
        return stream;
    }
    // The same random megabyte each time: every megabyte then costs the same
    // to show, and only the history behind it differs.
    QByteArray megabyte(kMegabyte, Qt::Uninitialized);
    QRandomGenerator random(20240501);
    random.fillRange(reinterpret_cast<quint32 *>(megabyte.data()), megabyte.size() / 4);
    if (options.noLineBreaks)
        megabyte.replace('\r', '\n');
    return megabyte.repeated(options.megabytes);
}

bool WaitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

template <typename Control> Control *Find(QWidget *view, int id)
{
    return view->findChild<Control *>(QString::number(id), Qt::FindDirectChildrenOnly);
}

// Opens the network kind on the server's port as a user would.
QTcpSocket *OpenAgainst(CTarvikView *view, QTcpServer &server)
{
    if (!WaitFor([view] { return view->PortPanel() != nullptr; }, 5000))
        return nullptr;
    Find<QComboBox>(view, ViewId::kPortKind)->setCurrentIndex(int(PortKind::Network));
    auto *host = FindPanelControl<QComboBox>(view->PortPanel(), kEthHostId);
    auto *port = FindPanelControl<QLineEdit>(view->PortPanel(), kEthPortId);
    if (!host || !port)
        return nullptr;
    host->lineEdit()->setText(QStringLiteral("127.0.0.1"));
    port->setText(QString::number(server.serverPort()));
    Find<QPushButton>(view, ViewId::kOpenClose)->click();
    if (!WaitFor([&server] { return server.hasPendingConnections(); }, 5000))
        return nullptr;
    return server.nextPendingConnection();
}

struct MegabyteTime
{
    double wallMs = 0;
    double cpuMs = 0; // of this thread, which runs the window, the port and the peer
    bool logged = false;
};

double ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Sends one megabyte at a time, in chunks; the next starts once the counter
// on screen shows the previous one whole, so every megabyte includes the
// display catching up.
std::vector<MegabyteTime> Receive(CTarvikView *view, QTcpSocket *peer, const QByteArray &stream,
                                  QCheckBox *log)
{
    std::vector<MegabyteTime> times;
    auto *counter = Find<QLineEdit>(view, ViewId::kRecvCount);
    QEventLoop loop;
    qint64 target = 0;
    QObject::connect(counter, &QLineEdit::textChanged, &loop, [&](const QString &text) {
        if (text.toLongLong() >= target)
            loop.quit();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    for (qint64 at = 0; at < stream.size(); at += kMegabyte) {
        target = at + kMegabyte;
        const bool logged = log && (at / kMegabyte) % 2 == 1;
        if (log && log->isChecked() != logged)
            log->click();
        QElapsedTimer wall;
        wall.start();
        const double cpuStart = ThreadCpuMs();
        for (qint64 chunk = at; chunk < target; chunk += kChunk)
            peer->write(stream.constData() + chunk, kChunk);
        guard.start(kMegabyteTimeoutMs);
        loop.exec();
        if (counter->text().toLongLong() < target)
            break;
        times.push_back({double(wall.nsecsElapsed()) / 1e6, ThreadCpuMs() - cpuStart, logged});
    }
    return times;
}

QByteArray SavedHistory(CTarvikView *view, const QString &path)
{
    view->SetSaveFileChooser([path](const QString &) { return path; });
    Find<QPushButton>(view, ViewId::kSaveRecv)->click();
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void ReportLogCost(const std::vector<MegabyteTime> &times)
{
    double cpu[2] = {0, 0};
    int count[2] = {0, 0};
    // The first pair warms up (the first megabyte costs most): left out.
    for (std::size_t i = 2; i < times.size(); ++i) {
        cpu[times[i].logged] += times[i].cpuMs;
        ++count[times[i].logged];
    }
    const double plain = cpu[0] / std::max(count[0], 1);
    const double logged = cpu[1] / std::max(count[1], 1);
    std::printf("capture log: %.1f ms cpu per logged MB, %.1f ms per other MB, ratio %.3f\n",
                logged, plain, logged / plain);
}

int Report(const Options &options, const std::vector<MegabyteTime> &times, bool exact)
{
    if (qint64(times.size()) < options.megabytes) {
        std::printf("FAIL: only %zu of %d MB arrived\n", times.size(), options.megabytes);
        return 1;
    }
    double wall = 0;
    double cpu = 0;
    for (const MegabyteTime &time : times) {
        wall += time.wallMs;
        cpu += time.cpuMs;
    }
    const MegabyteTime &first = times.front();
    const MegabyteTime &last = times.back();
    const double ratio = last.cpuMs / first.cpuMs;
    std::printf("received %d MB (%s, %s notation)\n", options.megabytes,
                options.text           ? "text lines"
                : options.noLineBreaks ? "random bytes without CR"
                                       : "random bytes",
                options.hex ? "hex" : "Ascii");
    std::printf("first MB %.1f ms cpu (%.1f ms wall), last MB %.1f ms cpu (%.1f ms wall)\n",
                first.cpuMs, first.wallMs, last.cpuMs, last.wallMs);
    std::printf("ratio last/first %.2f cpu (%.2f wall): %s (bar %.1f, cpu)\n", ratio,
                last.wallMs / first.wallMs, ratio <= kBar ? "PASS" : "FAIL", kBar);
    std::printf("overall %.1f MB/s cpu, %.1f MB/s wall (%.2f s wall)\n",
                options.megabytes / (cpu / 1000), options.megabytes / (wall / 1000), wall / 1000);
    std::printf("saved history %s the stream\n", exact ? "equals" : "DIFFERS FROM");
    if (options.logForm >= 0)
        ReportLogCost(times);
    if (options.verbose) {
        for (std::size_t i = 0; i < times.size(); ++i)
            std::printf("MB %zu: %.1f ms cpu, %.1f ms wall\n", i + 1, times[i].cpuMs,
                        times[i].wallMs);
    }
    return ratio <= kBar && exact ? 0 : 1;
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const Options options = ParseOptions(app.arguments());
    // The view keeps its settings in the current folder and the registry;
    // neither is the user's here.
    QTemporaryDir work;
    QTemporaryDir registry;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, registry.path());
    QDir::setCurrent(work.path());

    CRegManage reg;
    CMainFrame frame(reg);
    auto *view = new CTarvikView;
    PlugMainView(frame, view);
    frame.show();
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 2;
    QTcpSocket *peer = OpenAgainst(view, server);
    if (!peer) {
        std::printf("FAIL: the network port did not open\n");
        return 2;
    }
    Find<QCheckBox>(view, ViewId::kCountRecv)->setChecked(true);
    if (options.hex)
        Find<QCheckBox>(view, ViewId::kHexRecv)->click();
    QCheckBox *log = nullptr;
    if (options.logForm >= 0) {
        view->SetSaveFileChooser([&work](const QString &) { return work.filePath("capture.log"); });
        view->findChild<QComboBox *>(QStringLiteral("captureForm"))
            ->setCurrentIndex(options.logForm);
        log = view->findChild<QCheckBox *>(QStringLiteral("captureLog"));
    }
    const QByteArray stream = MakeStream(options);
    const std::vector<MegabyteTime> times = Receive(view, peer, stream, log);
    const bool exact = SavedHistory(view, work.filePath(QStringLiteral("recved.dat"))) == stream;
    return Report(options, times, exact);
}
