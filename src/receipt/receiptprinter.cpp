#include "receipt/receiptprinter.h"

#include <algorithm>

namespace Receipt {

// Commands after ESC, GS, FS and DLE: their length in bytes (0 = measured
// from the bytes, MeasureCommand) and their handler.
struct CommandTable
{
    struct Entry
    {
        uint8_t prefix;
        uint8_t code;
        uint8_t length;
        CReceiptPrinter::Handler run;
    };
    using P = CReceiptPrinter;
    static constexpr uint8_t ESC = 0x1B, GS = 0x1D, FS = 0x1C, DLE = 0x10;
    static constexpr Entry kEntries[] = {
        {ESC, '@', 2, &P::OnInitialise},
        {ESC, '!', 3, &P::OnPrintMode},
        {ESC, 'E', 3, &P::OnEmphasis},
        {ESC, 'G', 3, &P::OnDoubleStrike},
        {ESC, '-', 3, &P::OnUnderline},
        {ESC, 'M', 3, &P::OnFont},
        {ESC, 'V', 3, &P::OnTurn},
        {ESC, '{', 3, &P::OnUpsideDown},
        {ESC, ' ', 3, &P::OnSpacing},
        {ESC, 'a', 3, &P::OnAlign},
        {ESC, '2', 2, &P::OnDefaultLineSpacing},
        {ESC, '3', 3, &P::OnLineSpacing},
        {ESC, 'J', 3, &P::OnFeedDots},
        {ESC, 'd', 3, &P::OnFeedLines},
        {ESC, 'D', 0, &P::OnTabStops},
        {ESC, '$', 4, &P::OnAbsolutePosition},
        {ESC, '\\', 4, &P::OnRelativePosition},
        {ESC, 't', 3, &P::OnCodeTable},
        {ESC, 'R', 3, &P::OnCharacterSet},
        {ESC, '*', 5, &P::OnBitImage},
        {ESC, 'i', 2, &P::OnCutOld},
        {ESC, 'm', 2, &P::OnCutOld},
        {ESC, 'p', 5, &P::OnDrawerPulse},
        {ESC, 'B', 4, &P::OnNothing}, // beeper
        {ESC, '=', 3, &P::OnNothing}, // peripheral device
        {ESC, 'U', 3, &P::OnNothing}, // unidirectional printing
        {ESC, 'r', 3, &P::OnNothing}, // second colour, absent on thermal paper
        {ESC, 'c', 4, &P::OnNothing}, // paper sensors and panel buttons
        {GS, '!', 3, &P::OnSize},
        {GS, 'B', 3, &P::OnReverse},
        {GS, 'L', 4, &P::OnLeftMargin},
        {GS, 'W', 4, &P::OnAreaWidth},
        {GS, 'h', 3, &P::OnBarHeight},
        {GS, 'w', 3, &P::OnBarModule},
        {GS, 'H', 3, &P::OnHriPosition},
        {GS, 'f', 3, &P::OnHriFont},
        {GS, 'k', 0, &P::OnBarcode},
        {GS, 'v', 0, &P::OnRaster},
        {GS, '(', 5, &P::OnSymbol},
        {GS, '8', 0, &P::OnGraphicsLong},
        {GS, 'V', 0, &P::OnCut},
        {GS, 'r', 3, &P::OnNothing}, // status requests are answered elsewhere
        {GS, 'I', 3, &P::OnNothing},
        {GS, 'a', 3, &P::OnNothing},
        {GS, 'b', 3, &P::OnNothing}, // smoothing
        {GS, 'P', 4, &P::OnNothing}, // motion units
        {FS, '&', 2, &P::OnKanjiOn},
        {FS, '.', 2, &P::OnKanjiOff},
        {FS, '!', 3, &P::OnKanjiMode},
        {FS, '-', 3, &P::OnKanjiUnderline},
        {FS, 'S', 4, &P::OnKanjiSpacing},
        {FS, 'C', 3, &P::OnNothing}, // Kanji code system: always GBK here
        {FS, 'p', 4, &P::OnNvImage},
        {DLE, 0x04, 3, &P::OnNothing},
        {DLE, 0x05, 3, &P::OnNothing},
        {DLE, 0x14, 0, &P::OnNothing},
    };

    static const Entry *Find(uint8_t prefix, uint8_t code)
    {
        for (const Entry &entry : kEntries)
            if (entry.prefix == prefix && entry.code == code)
                return &entry;
        return nullptr;
    }
};

namespace {

constexpr std::size_t kMaxTabBytes = 2 + PrintState::kMaxTabStops + 1;
constexpr std::size_t kMaxBarcodeData = 255;

bool IsPrefix(uint8_t byte)
{
    return byte == 0x1B || byte == 0x1D || byte == 0x1C || byte == 0x10;
}

// Length of GS k: form A ends at NUL, form B has a length byte.
std::size_t BarcodeLength(const uint8_t *p, std::size_t n)
{
    const uint8_t m = p[2];
    if (m >= 7 && m <= 64)
        return 3;
    if (m >= 65)
        return n < 4 ? 0 : 4 + std::size_t{p[3]};
    const uint8_t *end = std::find(p + 3, p + n, 0);
    if (end != p + n)
        return static_cast<std::size_t>(end - p) + 1;
    return n > 3 + kMaxBarcodeData ? 3 : 0;
}

std::size_t CutLength(uint8_t m)
{
    switch (m) {
    case 65:
    case 66:
    case 97:
    case 98:
    case 103:
    case 104:
        return 4;
    default:
        return 3;
    }
}

std::size_t RealTimeLength(uint8_t fn)
{
    switch (fn) {
    case 1:
    case 2:
        return 5;
    case 7:
        return 4;
    case 8:
        return 10;
    default:
        return 3;
    }
}

} // namespace

CReceiptPrinter::CReceiptPrinter(int paperWidth) : m_paper(paperWidth) {}

CReceiptPrinter::~CReceiptPrinter() = default;

void CReceiptPrinter::Feed(const QByteArray &bytes)
{
    Feed(reinterpret_cast<const uint8_t *>(bytes.constData()),
         static_cast<std::size_t>(bytes.size()));
}

void CReceiptPrinter::Feed(const uint8_t *data, std::size_t length)
{
    std::size_t i = 0;
    while (i < length) {
        if (m_sink.kind != Sink::Kind::None) {
            i += FeedSink(data + i, length - i);
            continue;
        }
        m_head.push_back(data[i++]);
        DecodeHead(false);
    }
}

void CReceiptPrinter::DecodeHead(bool atEnd)
{
    while (!m_head.empty() && m_sink.kind == Sink::Kind::None) {
        // Noted for reports raised while the command runs (the paper's cap).
        NoteCommand(m_head.data(), std::min(m_head.size(), ReportEntry::kShownBytes));
        const std::size_t used = Step(m_head.data(), m_head.size(), atEnd);
        if (used == 0)
            return;
        m_head.erase(m_head.begin(), m_head.begin() + static_cast<std::ptrdiff_t>(used));
        m_headOffset += used;
    }
    if (!m_head.empty() && m_sink.kind != Sink::Kind::None) {
        const std::vector<uint8_t> rest = std::move(m_head);
        m_head.clear();
        Feed(rest.data(), rest.size());
    }
}

std::size_t CReceiptPrinter::Step(const uint8_t *p, std::size_t n, bool atEnd)
{
    if (IsPrefix(p[0]))
        return StepCommand(p, n, atEnd);
    return StepText(p, n, atEnd);
}

std::size_t CReceiptPrinter::StepCommand(const uint8_t *p, std::size_t n, bool atEnd)
{
    const CommandTable::Entry *entry = n >= 2 ? CommandTable::Find(p[0], p[1]) : nullptr;
    std::size_t length = n < 2 ? 0 : 2;
    if (entry)
        length = entry->length ? entry->length : MeasureCommand(p, n);
    if (length == 0 || n < length) {
        if (!atEnd)
            return 0;
        Report(Issue::DataCutShort, p, n);
        return n;
    }
    (this->*(entry ? entry->run : &CReceiptPrinter::OnUnknown))(p, length);
    return length;
}

std::size_t CReceiptPrinter::MeasureCommand(const uint8_t *p, std::size_t n) const
{
    if (n < 3)
        return 0;
    switch (p[1]) {
    case 'D': {
        const uint8_t *end = std::find(p + 2, p + n, 0);
        if (end != p + n)
            return static_cast<std::size_t>(end - p) + 1;
        return n >= kMaxTabBytes ? kMaxTabBytes : 0;
    }
    case 'k':
        return BarcodeLength(p, n);
    case 'v':
        return p[2] == '0' ? 8 : 2;
    case '8':
        return p[2] == 'L' ? 7 : 2;
    case 'V':
        return CutLength(p[2]);
    default: // DLE DC4
        return RealTimeLength(p[2]);
    }
}

std::size_t CReceiptPrinter::StepText(const uint8_t *p, std::size_t n, bool atEnd)
{
    const uint8_t byte = p[0];
    if (byte == '\r') {
        if (n < 2 && !atEnd)
            return 0;
        if (n < 2 || p[1] != '\n')
            PrintLine(m_state.lineSpacing);
        return 1;
    }
    if (byte == '\n' || byte == 0x0C) {
        OnLineFeed(p, 1);
        return 1;
    }
    if (byte == '\t') {
        OnTab(p, 1);
        return 1;
    }
    if (byte < 0x20 || byte == 0x7F) {
        if (byte != 0)
            OnUnknown(p, 1);
        return 1;
    }
    if (m_state.kanji && byte >= 0x81 && byte <= 0xFE) {
        if (n < 2 && !atEnd)
            return 0;
        const bool pair = n >= 2 && p[1] >= 0x40 && p[1] != 0x7F && p[1] != 0xFF;
        PrintChar(pair ? m_glyphs.DecodeGbk(byte, p[1]) : U'?',
                  pair ? GlyphFont::Kanji : GlyphFont::A);
        return pair ? 2 : 1;
    }
    const char32_t code =
        m_state.kanji && byte >= 0x80 ? U'?' : m_glyphs.DecodeSingle(byte, m_state.codeTable);
    PrintChar(code, m_state.fontB ? GlyphFont::B : GlyphFont::A);
    return 1;
}

void CReceiptPrinter::Report(Issue issue, const uint8_t *p, std::size_t n, std::string detail)
{
    ReportEntry entry;
    entry.offset = m_headOffset;
    entry.bytes.assign(p, p + std::min(n, ReportEntry::kShownBytes));
    entry.issue = issue;
    entry.detail = std::move(detail);
    m_report.push_back(std::move(entry));
}

void CReceiptPrinter::ReportCommand(Issue issue, std::string detail)
{
    ReportEntry entry;
    entry.offset = m_commandOffset;
    entry.bytes = m_command;
    entry.bytes.insert(entry.bytes.end(), m_sink.blob.begin(),
                       m_sink.blob.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                 m_sink.blob.size(), ReportEntry::kShownBytes)));
    entry.bytes.resize(std::min(entry.bytes.size(), ReportEntry::kShownBytes));
    entry.issue = issue;
    entry.detail = std::move(detail);
    m_report.push_back(std::move(entry));
}

void CReceiptPrinter::OnUnknown(const uint8_t *p, std::size_t n)
{
    Report(Issue::Unknown, p, n);
}

void CReceiptPrinter::NoteCommand(const uint8_t *p, std::size_t n)
{
    m_command.assign(p, p + n);
    m_commandOffset = m_headOffset;
}

void CReceiptPrinter::StartCollect(const uint8_t *p, std::size_t n, uint64_t length, uint64_t limit,
                                   SinkDone done)
{
    NoteCommand(p, n);
    m_sink = Sink{};
    m_sink.kind = Sink::Kind::Collect;
    m_sink.remaining = length;
    m_sink.declared = length;
    m_sink.limit = limit;
    m_sinkDone = done;
    if (length == 0)
        FinishSink();
}

void CReceiptPrinter::CountImageBytes(uint64_t count)
{
    m_imageBytes += count;
    if (m_imageBytes > kMaxImageBytes && !m_capReported) {
        m_capReported = true;
        ReportCommand(Issue::BeyondCap, "more than 64 MiB of images in one receipt");
    }
}

std::size_t CReceiptPrinter::FeedSink(const uint8_t *data, std::size_t length)
{
    const std::size_t take = static_cast<std::size_t>(std::min<uint64_t>(m_sink.remaining, length));
    if (m_sink.kind == Sink::Kind::Raster) {
        RasterBytes(data, take);
    } else {
        const uint64_t room = m_sink.limit - std::min<uint64_t>(m_sink.limit, m_sink.blob.size());
        const std::size_t keep = static_cast<std::size_t>(std::min<uint64_t>(room, take));
        CountImageBytes(keep);
        if (m_imageBytes <= kMaxImageBytes)
            m_sink.blob.insert(m_sink.blob.end(), data, data + keep);
        m_sink.overflow = m_sink.overflow || keep < take || m_imageBytes > kMaxImageBytes;
    }
    m_sink.remaining -= take;
    m_headOffset += take;
    if (m_sink.remaining == 0)
        FinishSink();
    return take;
}

void CReceiptPrinter::FinishSink()
{
    if (m_sink.remaining > 0) {
        ReportCommand(Issue::DataCutShort, std::to_string(m_sink.declared - m_sink.remaining) +
                                               " of " + std::to_string(m_sink.declared) +
                                               " data bytes arrived");
    }
    const Sink::Kind kind = m_sink.kind;
    m_sink.kind = Sink::Kind::None;
    if (kind == Sink::Kind::Raster) {
        if (m_sink.rowFill > 0)
            DrawRasterRow();
    } else if (m_sinkDone) {
        (this->*m_sinkDone)();
    }
    m_sink = Sink{};
}

void CReceiptPrinter::EndReceipt()
{
    if (!m_line.items.empty())
        PrintLine(m_state.lineSpacing);
    if (!m_paper.Used() && m_report.empty())
        return;
    m_receipts.push_back({m_paper.TakeImage(), std::move(m_report)});
    m_report.clear();
    m_imageBytes = 0;
    m_capReported = false;
}

void CReceiptPrinter::Finish()
{
    if (m_sink.kind != Sink::Kind::None)
        FinishSink();
    DecodeHead(true);
    EndReceipt();
}

std::vector<Receipt> CReceiptPrinter::TakeReceipts()
{
    std::vector<Receipt> taken = std::move(m_receipts);
    m_receipts.clear();
    return taken;
}

Receipt CReceiptPrinter::PeekReceipt() const
{
    if (!m_paper.Used() && m_report.empty())
        return {};
    return {m_paper.Image(), m_report};
}

std::vector<Receipt> RenderReceipts(const QByteArray &bytes, int paperWidth)
{
    CReceiptPrinter printer(paperWidth);
    printer.Feed(bytes);
    printer.Finish();
    return printer.TakeReceipts();
}

} // namespace Receipt
