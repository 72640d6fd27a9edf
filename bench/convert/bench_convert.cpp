// Every conversion on 16 MiB of realistic input, each beside memcpy of the
// same input in the same run: compare the bytes/second columns (or the times)
// of a conversion and the memcpy row of its input kind.
#include "convert/codepage.h"
#include "convert/convert.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <span>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr std::size_t kInputSize = 16u << 20;

std::string RandomBytes()
{
    std::mt19937 engine(7);
    std::string bytes(kInputSize, '\0');
    for (auto &b : bytes)
        b = static_cast<char>(engine());
    return bytes;
}

// Printer output as a user sees it: lines of printable text with CR LF, a few
// ESC sequences and control bytes, some GBK characters.
std::string PrintableText()
{
    std::mt19937 engine(8);
    std::string text;
    text.reserve(kInputSize + 64);
    while (text.size() < kInputSize) {
        const unsigned pick = engine() % 100;
        if (pick < 85)
            text += static_cast<char>(' ' + engine() % 95);
        else if (pick < 90)
            text += "\r\n";
        else if (pick < 93)
            text += "\x1B@";
        else if (pick < 95)
            text += static_cast<char>(engine() % 8);
        else
            text += {static_cast<char>(0xB0 + engine() % 0x40),
                     static_cast<char>(0xA1 + engine() % 0x5E)};
    }
    text.resize(kInputSize);
    return text;
}

// Hex text as typed or saved: upper- and lower-case pairs separated by
// spaces, a line break every 16 bytes, the odd comma.
std::string HexText()
{
    std::mt19937 engine(9);
    static constexpr char kDigits[] = "0123456789ABCDEF0123456789abcdef";
    std::string text;
    text.reserve(kInputSize + 64);
    for (unsigned n = 0; text.size() < kInputSize; ++n) {
        const unsigned value = engine();
        const unsigned caseOffset = (value >> 16) & 16;
        text += kDigits[caseOffset + ((value >> 4) & 15)];
        text += kDigits[caseOffset + (value & 15)];
        text += n % 16 == 15 ? "\r\n" : (value >> 24) % 32 == 0 ? "," : " ";
    }
    while (!text.empty() && text.size() > kInputSize - 3)
        text.pop_back();
    return text;
}

const std::string &Input(int kind)
{
    static const std::string inputs[] = {RandomBytes(), PrintableText(), HexText()};
    return inputs[kind];
}

enum InputKind
{
    kRandomBytes,
    kPrintableText,
    kHexText
};

long MinorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Fresh result buffers of many MiB come from the kernel page by page; the
// faults they cost are part of a conversion's time and shown beside it.
void SetLabels(benchmark::State &state, int kind, long faultsBefore)
{
    state.counters["faults"] = benchmark::Counter(static_cast<double>(MinorFaults() - faultsBefore),
                                                  benchmark::Counter::kAvgIterations);
    static const char *names[] = {"random bytes", "printable text", "hex text"};
    state.SetLabel(names[kind]);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Input(kind).size()));
}

std::span<const uint8_t> AsBytes(const std::string &text)
{
    return {reinterpret_cast<const uint8_t *>(text.data()), text.size()};
}

void BM_Memcpy(benchmark::State &state)
{
    const int kind = static_cast<int>(state.range(0));
    const std::string &input = Input(kind);
    std::vector<char> target(input.size());
    const long faultsBefore = MinorFaults();
    for (auto _ : state) {
        std::memcpy(target.data(), input.data(), input.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    SetLabels(state, kind, faultsBefore);
}

// Runs one conversion of the input per iteration; the result handle keeps the
// previous result, as a caller re-rendering into the same handle would.
template <class Convert> void RunConversion(benchmark::State &state, Convert convert)
{
    const int kind = static_cast<int>(state.range(0));
    const std::string &input = Input(kind);
    ByteString out;
    const long faultsBefore = MinorFaults();
    for (auto _ : state) {
        const ConvResult result = convert(input, out);
        if (result <= 0)
            state.SkipWithError("conversion failed");
        benchmark::DoNotOptimize(out.data());
    }
    SetLabels(state, kind, faultsBefore);
}

void BM_BytesToHex(benchmark::State &state)
{
    RunConversion(
        state, [](const std::string &in, ByteString &out) { return BytesToHex(AsBytes(in), out); });
}

void BM_BytesToAscii(benchmark::State &state)
{
    RunConversion(state, [](const std::string &in, ByteString &out) {
        return BytesToAscii(AsBytes(in), out);
    });
}

void BM_AsciiToBytes(benchmark::State &state)
{
    RunConversion(state,
                  [](const std::string &in, ByteString &out) { return AsciiToBytes(in, out); });
}

void BM_AsciiToHex(benchmark::State &state)
{
    RunConversion(state,
                  [](const std::string &in, ByteString &out) { return AsciiToHex(in, out); });
}

void BM_HexToBytes(benchmark::State &state)
{
    RunConversion(state,
                  [](const std::string &in, ByteString &out) { return HexToBytes(in, out); });
}

void BM_HexToAscii(benchmark::State &state)
{
    RunConversion(state,
                  [](const std::string &in, ByteString &out) { return HexToAscii(in, out); });
}

// The code pages measured beside GBK (GBK itself is BM_BytesToAscii).
constexpr CodePageId kMeasuredPages[] = {CodePageId::Gbk, CodePageId::Utf8, CodePageId::Pc858,
                                         CodePageId::ShiftJis};

// Printable text as PrintableText, its non-ASCII characters taken from the
// code page (a fixed set of code points it can encode).
std::string PrintableTextIn(CodePageId page)
{
    std::mt19937 engine(10);
    std::string text;
    text.reserve(kInputSize + 64);
    while (text.size() < kInputSize) {
        const unsigned pick = engine() % 100;
        if (pick < 85) {
            text += static_cast<char>(' ' + engine() % 95);
        } else if (pick < 90) {
            text += "\r\n";
        } else if (pick < 95) {
            text += static_cast<char>(engine() % 8);
        } else {
            uint8_t bytes[4];
            const char32_t ch = page == CodePageId::ShiftJis ? 0x4E00 + engine() % 0x800
                                : page == CodePageId::Utf8   ? 0xA0 + engine() % 0x2000
                                                             : 0xC0 + engine() % 0x40;
            const std::size_t count = EncodeChar(page, ch, bytes);
            text.append(reinterpret_cast<const char *>(bytes), count);
        }
    }
    text.resize(kInputSize);
    return text;
}

const std::string &InputIn(CodePageId page, int kind)
{
    static const std::string texts[] = {
        PrintableTextIn(kMeasuredPages[0]), PrintableTextIn(kMeasuredPages[1]),
        PrintableTextIn(kMeasuredPages[2]), PrintableTextIn(kMeasuredPages[3])};
    if (kind == kRandomBytes)
        return Input(kRandomBytes);
    const auto *found = std::find(std::begin(kMeasuredPages), std::end(kMeasuredPages), page);
    return texts[found - std::begin(kMeasuredPages)];
}

void SetPageLabels(benchmark::State &state, CodePageId page, int kind, long faultsBefore)
{
    SetLabels(state, kind, faultsBefore);
    state.SetLabel(std::string(NameOfCodePage(page)) + ", " +
                   (kind == kRandomBytes ? "random bytes" : "printable text"));
}

// Args: the index into kMeasuredPages, the input kind.
void BM_BytesToAsciiIn(benchmark::State &state)
{
    const CodePageId page = kMeasuredPages[state.range(0)];
    const int kind = static_cast<int>(state.range(1));
    const std::string &input = InputIn(page, kind);
    const CodePageRules &rules = RulesOf(page);
    ByteString out;
    const long faultsBefore = MinorFaults();
    for (auto _ : state) {
        if (BytesToAscii(AsBytes(input), out, rules) <= 0)
            state.SkipWithError("conversion failed");
        benchmark::DoNotOptimize(out.data());
    }
    SetPageLabels(state, page, kind, faultsBefore);
}

// Reading the rendering back: the text of every code page is read by the
// same escape rule, so this measures that rule on each page's text.
void BM_AsciiToBytesIn(benchmark::State &state)
{
    const CodePageId page = kMeasuredPages[state.range(0)];
    const int kind = static_cast<int>(state.range(1));
    ByteString rendering;
    BytesToAscii(AsBytes(InputIn(page, kind)), rendering, RulesOf(page));
    ByteString out;
    const long faultsBefore = MinorFaults();
    for (auto _ : state) {
        if (AsciiToBytes(rendering.view(), out) <= 0)
            state.SkipWithError("conversion failed");
        benchmark::DoNotOptimize(out.data());
    }
    SetPageLabels(state, page, kind, faultsBefore);
}

} // namespace

BENCHMARK(BM_Memcpy)
    ->Arg(kRandomBytes)
    ->Arg(kPrintableText)
    ->Arg(kHexText)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BytesToHex)->Arg(kRandomBytes)->Arg(kPrintableText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BytesToAscii)->Arg(kRandomBytes)->Arg(kPrintableText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AsciiToBytes)->Arg(kPrintableText)->Arg(kRandomBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AsciiToHex)->Arg(kPrintableText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HexToBytes)->Arg(kHexText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HexToAscii)->Arg(kHexText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BytesToAsciiIn)
    ->ArgsProduct({{0, 1, 2, 3}, {kRandomBytes, kPrintableText}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AsciiToBytesIn)
    ->ArgsProduct({{0, 1, 2, 3}, {kRandomBytes, kPrintableText}})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
