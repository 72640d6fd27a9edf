// Renders a typical 80 mm receipt: 40 text lines in mixed styles, a 576x200
// raster logo, a CODE128 barcode, a QR code of 100 characters and a cut.
//
//   bench_receipt [--receipts N] [--mib M]
//
// Each case ends with one line:
//   RESULT case=receipt receipts=.. bytes=.. first_ms=.. ms_per_receipt=.. best_ms=..
//          cpu_ms_per_receipt=..
//   RESULT case=stream mib=.. receipts=.. mib_s=.. cpu_mib_s=..
// first_ms is the first receipt of a fresh printer (its glyphs drawn from the
// fonts); ms_per_receipt the mean of the following ones, best_ms the fastest.
// Times are wall-clock; the cpu_ columns use the thread's CPU time, which
// moves less with the load of other processes on a shared machine. Run the
// Release build.
#include "receipt/receiptprinter.h"
#include "typicalreceipt.h"

#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

namespace {
using BenchReceipt::TypicalReceipt;

using Clock = std::chrono::steady_clock;

double CpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void ReceiptCase(const QByteArray &receipt, int count)
{
    Receipt::CReceiptPrinter printer;
    Clock::time_point start = Clock::now();
    printer.Feed(receipt);
    const std::size_t firstCount = printer.TakeReceipts().size();
    const double first = MsSince(start);
    double total = 0;
    double best = 1e9;
    std::size_t taken = firstCount;
    const double cpuStart = CpuMs();
    for (int i = 0; i < count; ++i) {
        start = Clock::now();
        printer.Feed(receipt);
        taken += printer.TakeReceipts().size();
        const double ms = MsSince(start);
        total += ms;
        best = std::min(best, ms);
    }
    const double cpu = (CpuMs() - cpuStart) / count;
    std::printf("RESULT case=receipt receipts=%zu bytes=%lld first_ms=%.2f ms_per_receipt=%.3f "
                "best_ms=%.3f cpu_ms_per_receipt=%.3f\n",
                taken, static_cast<long long>(receipt.size()), first, total / count, best, cpu);
}

void StreamCase(const QByteArray &receipt, int mib)
{
    QByteArray stream;
    while (stream.size() < static_cast<qsizetype>(mib) << 20)
        stream += receipt;
    stream.truncate(static_cast<qsizetype>(mib) << 20);
    Receipt::CReceiptPrinter printer;
    constexpr qsizetype kChunk = 64 * 1024;
    std::size_t receipts = 0;
    const Clock::time_point start = Clock::now();
    const double cpuStart = CpuMs();
    for (qsizetype at = 0; at < stream.size(); at += kChunk) {
        printer.Feed(reinterpret_cast<const uint8_t *>(stream.constData() + at),
                     static_cast<std::size_t>(std::min(kChunk, stream.size() - at)));
        receipts += printer.TakeReceipts().size();
    }
    printer.Finish();
    receipts += printer.TakeReceipts().size();
    const double seconds = MsSince(start) / 1000;
    const double cpuSeconds = (CpuMs() - cpuStart) / 1000;
    std::printf("RESULT case=stream mib=%d receipts=%zu mib_s=%.1f cpu_mib_s=%.1f\n", mib, receipts,
                mib / seconds, mib / cpuSeconds);
}

int Option(int argc, char **argv, const char *name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return std::max(1, std::atoi(argv[i + 1]));
    return fallback;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QByteArray receipt = TypicalReceipt();
    ReceiptCase(receipt, Option(argc, argv, "--receipts", 200));
    StreamCase(receipt, Option(argc, argv, "--mib", 10));
    return 0;
}
