// A file of typical receipts sent through the main window's network port to
// a loopback peer that reads as fast as it can, without the preview window
// and with it shown (alternately, kRounds times each; the fastest run of each
// counts), while a 10 ms timer on the window thread measures its longest
// stall in the runs with the preview, each until the preview's roll has
// stopped growing. The clock runs from the click on "send file" until the
// peer holds the file's last byte.
//
//   RESULT kind=preview mib=.. mib_s=.. preview_mib_s=.. ratio=.. max_stall_ms=..
//          receipts_shown=.. plain_stall_ms=..
// ratio: preview_mib_s / mib_s; receipts_shown: on the roll after the last
// run, once it stopped growing (receipts beyond what the tap held are skipped);
// plain_stall_ms: the longest stall in the runs without the preview, for the
// load of the machine.
#include "previewcase.h"
#include "windowdriving.h"

#include "../receipt/typicalreceipt.h"
#include "app/viewhookup.h"
#include "config/regmanage.h"
#include "panels/ethportcfgdlg.h"
#include "panels/portcfgpanel.h"
#include "shell/mainframe.h"
#include "view/form/viewids.h"
#include "view/preview/previewroll.h"
#include "view/preview/previewwindow.h"
#include "view/tarvikview.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 600000;
constexpr int kSettleMs = 600; // the file thread's end (200 ms) and its notes
constexpr int kRounds = 3;
constexpr int kStillMs = 1500;    // the roll counts as caught up
constexpr int kCatchUpMs = 60000; // at most

// The peer: accepts one connection and counts what it reads.
struct Peer
{
    int listener = -1;
    quint16 port = 0;
    std::atomic<qint64> received{0};
    std::atomic<bool> stop{false};
    std::thread reader;

    bool Listen()
    {
        listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
            ::listen(listener, 1) != 0 ||
            ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return false;
        port = ntohs(address.sin_port);
        reader = std::thread([this] { Read(); });
        return true;
    }
    void Read()
    {
        const int fd = ::accept(listener, nullptr, nullptr);
        std::vector<char> buffer(256 * 1024);
        while (!stop) {
            pollfd ready{fd, POLLIN, 0};
            if (::poll(&ready, 1, 100) <= 0)
                continue;
            const ssize_t n = ::read(fd, buffer.data(), buffer.size());
            if (n <= 0)
                break;
            received += n;
        }
        ::close(fd);
    }
    ~Peer()
    {
        stop = true;
        if (reader.joinable())
            reader.join();
        ::close(listener);
    }
};

bool OpenNetwork(CTarvikView *view, quint16 port)
{
    if (!WaitFor([view] { return view->PortPanel() != nullptr; }, 5000))
        return false;
    if (!TypeNetworkTarget(view, port))
        return false;
    Find<QPushButton>(view, ViewId::kOpenClose)->click();
    return WaitFor([view] { return Find<QPushButton>(view, ViewId::kSend)->isEnabled(); }, 5000);
}

struct Run
{
    double mibPerSecond = 0;
    double maxStallMs = 0;
};

// Until the roll has not grown for kStillMs (or kCatchUpMs passed).
void WaitUntilRollStill(const CPreviewRoll *roll)
{
    int count = roll->ReceiptCount();
    QElapsedTimer still;
    still.start();
    WaitFor(
        [&] {
            if (roll->ReceiptCount() != count) {
                count = roll->ReceiptCount();
                still.restart();
            }
            return still.elapsed() >= kStillMs;
        },
        kCatchUpMs);
}

// One transfer of `size` bytes; the stall is measured until it has settled
// and the roll, if any, has caught up.
Run SendOnce(CTarvikView *view, Peer &peer, qint64 size, int mib, const CPreviewRoll *roll)
{
    const CStallClock clock;
    const qint64 target = peer.received + size;
    Find<QPushButton>(view, ViewId::kSendFile)->click();
    Run run;
    if (WaitFor([&] { return peer.received >= target; }, kWaitMs))
        run.mibPerSecond = mib / (double(clock.ElapsedNs()) / 1e9);
    WaitFor([] { return false; }, kSettleMs);
    if (roll)
        WaitUntilRollStill(roll);
    run.maxStallMs = clock.MaxStallMs();
    return run;
}

QString WriteReceiptFile(const QTemporaryDir &work, int mib)
{
    const QByteArray receipt = BenchReceipt::TypicalReceipt();
    QByteArray bytes;
    while (bytes.size() < (qsizetype(mib) << 20))
        bytes += receipt;
    bytes.truncate(qsizetype(mib) << 20);
    const QString path = work.filePath(QStringLiteral("receipts.bin"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

} // namespace

int RunPreviewCase(int mib)
{
    QTemporaryDir work;
    QTemporaryDir registry;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, registry.path());
    QDir::setCurrent(work.path());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(work.path()));
    CRegManage().WriteDword(QStringLiteral("NoAutoShowAbout"), 1);
    const QString file = WriteReceiptFile(work, mib);
    CRegManage reg;
    CMainFrame frame(reg);
    auto *view = new CTarvikView;
    PlugMainView(frame, view);
    frame.show();
    Peer peer;
    if (file.isEmpty() || !peer.Listen() || !OpenNetwork(view, peer.port)) {
        std::printf("FAIL kind=preview: the port did not open\n");
        return 2;
    }
    view->SetOpenFileChooser([file](const QString &) { return file; });
    Find<QPushButton>(view, ViewId::kSelectFile)->click();
    const qint64 size = QFile(file).size();
    Run plain;
    Run previewed;
    CPreviewWindow *preview = nullptr;
    int shown = 0;
    for (int round = 0; round < kRounds; ++round) {
        const Run without = SendOnce(view, peer, size, mib, nullptr);
        frame.CommandAction(CMainFrame::ID_OPERATION_PREVIEW)->trigger();
        preview = frame.findChild<CPreviewWindow *>();
        const Run with = SendOnce(view, peer, size, mib, preview->SentRoll());
        shown = preview->SentRoll()->ReceiptCount();
        preview->hide();
        if (without.mibPerSecond <= 0 || with.mibPerSecond <= 0) {
            std::printf("FAIL kind=preview: a transfer did not arrive whole\n");
            return 1;
        }
        plain.mibPerSecond = std::max(plain.mibPerSecond, without.mibPerSecond);
        previewed.mibPerSecond = std::max(previewed.mibPerSecond, with.mibPerSecond);
        previewed.maxStallMs = std::max(previewed.maxStallMs, with.maxStallMs);
        plain.maxStallMs = std::max(plain.maxStallMs, without.maxStallMs);
    }
    std::printf("RESULT kind=preview mib=%d mib_s=%.1f preview_mib_s=%.1f ratio=%.2f "
                "max_stall_ms=%.0f receipts_shown=%d plain_stall_ms=%.0f\n",
                mib, plain.mibPerSecond, previewed.mibPerSecond,
                previewed.mibPerSecond / plain.mibPerSecond, previewed.maxStallMs, shown,
                plain.maxStallMs);
    return 0;
}
