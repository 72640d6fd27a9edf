// Raster and bit images, stored graphics, barcodes and 2D codes.
#include "receipt/receiptcodes.h"
#include "receipt/receiptprinter.h"

#include <algorithm>

namespace Receipt {

namespace {

constexpr uint64_t kMaxBlockBytes = 0xFFFF;
constexpr int kPlaceholderWidth = 128;
constexpr int kPlaceholderHeight = 64;
constexpr int kGraphicsBandRows = 256;
constexpr uint8_t kGraphicsStore = 0x70;
constexpr uint8_t kGraphicsPrint = 0x32;
constexpr uint8_t kSymbolQr = 0x31;
constexpr uint8_t kSymbolPdf417 = 0x30;

// Rows of bits (most significant bit leftmost, 1 black) as dots, each dot
// scaled, at most `maxWidth` dots wide; missing bytes print white.
DotBitmap BitRows(const std::vector<uint8_t> &data, std::size_t from, int rowBytes, int rows,
                  int scaleX, int scaleY, int maxWidth)
{
    const int width = std::min(rowBytes * 8 * scaleX, maxWidth);
    const int usedBytes = (width + 8 * scaleX - 1) / (8 * scaleX);
    DotBitmap band(width, rows * scaleY);
    for (int y = 0; y < rows; ++y) {
        uint8_t *row = band.Row(y * scaleY);
        const std::size_t start = from + static_cast<std::size_t>(y) * rowBytes;
        const int bytes = static_cast<int>(std::clamp<std::ptrdiff_t>(
            static_cast<std::ptrdiff_t>(data.size()) - static_cast<std::ptrdiff_t>(start), 0,
            usedBytes));
        for (int b = 0; b < bytes; ++b) {
            const uint8_t value = data[start + static_cast<std::size_t>(b)];
            for (int bit = 0; value && bit < 8; ++bit) {
                const int x = (b * 8 + bit) * scaleX;
                if (value & (0x80 >> bit))
                    std::fill(row + std::min(x, width), row + std::min(x + scaleX, width), 1);
            }
        }
        for (int copy = 1; copy < scaleY; ++copy)
            std::copy(row, row + width, band.Row(y * scaleY + copy));
    }
    return band;
}

DotBitmap SymbolBand(const Symbol &symbol, int moduleWidth, int rowHeight)
{
    DotBitmap band(symbol.width * moduleWidth, symbol.rows * rowHeight);
    for (int row = 0; row < symbol.rows; ++row)
        for (int x = 0; x < symbol.width; ++x)
            if (symbol.At(x, row))
                FillRect(band, x * moduleWidth, row * rowHeight, moduleWidth, rowHeight);
    return band;
}

DotBitmap Placeholder()
{
    DotBitmap box(kPlaceholderWidth, kPlaceholderHeight);
    FillRect(box, 0, 0, kPlaceholderWidth, 2);
    FillRect(box, 0, kPlaceholderHeight - 2, kPlaceholderWidth, 2);
    FillRect(box, 0, 0, 2, kPlaceholderHeight);
    FillRect(box, kPlaceholderWidth - 2, 0, 2, kPlaceholderHeight);
    for (int x = 0; x < kPlaceholderWidth; ++x) {
        const int y = x * kPlaceholderHeight / kPlaceholderWidth;
        FillRect(box, x, y, 1, 2);
        FillRect(box, x, kPlaceholderHeight - 2 - y, 1, 2);
    }
    return box;
}

} // namespace

void CReceiptPrinter::OnRaster(const uint8_t *p, std::size_t n)
{
    if (n < 8)
        return OnUnknown(p, n);
    int mode = DigitOrValue(p[3]);
    if (mode > 3) {
        Report(Issue::BadParameter, p, n, "scaling printed as normal");
        mode = 0;
    }
    if (!m_line.items.empty())
        PrintLine(0);
    NoteCommand(p, n);
    const int rowBytes = Word(p + 4);
    const int rows = Word(p + 6);
    if (rowBytes == 0 || rows == 0)
        return;
    m_sink = Sink{};
    m_sink.kind = Sink::Kind::Raster;
    m_sink.declared = m_sink.remaining = static_cast<uint64_t>(rowBytes) * rows;
    m_sink.rowBytes = rowBytes;
    m_sink.rowsLeft = rows;
    m_sink.scaleX = mode & 1 ? 2 : 1;
    m_sink.scaleY = mode & 2 ? 2 : 1;
    const int width = std::min(rowBytes * 8 * m_sink.scaleX, AreaWidth());
    m_sink.imageX = m_state.leftMargin + AlignOffset(width);
}

void CReceiptPrinter::RasterBytes(const uint8_t *data, std::size_t length)
{
    CountImageBytes(length);
    const int keepBytes = (AreaWidth() / m_sink.scaleX + 7) / 8;
    while (length > 0) {
        const std::size_t take = std::min<std::size_t>(
            length, static_cast<std::size_t>(m_sink.rowBytes - m_sink.rowFill));
        const std::size_t keep = static_cast<std::size_t>(
            std::clamp(keepBytes - m_sink.rowFill, 0, static_cast<int>(take)));
        m_sink.row.insert(m_sink.row.end(), data, data + keep);
        m_sink.rowFill += static_cast<int>(take);
        data += take;
        length -= take;
        if (m_sink.rowFill == m_sink.rowBytes)
            DrawRasterRow();
    }
}

void CReceiptPrinter::DrawRasterRow()
{
    if (m_imageBytes <= kMaxImageBytes) {
        const DotBitmap band =
            BitRows(m_sink.row, 0, m_sink.rowBytes, 1, m_sink.scaleX, m_sink.scaleY, AreaWidth());
        PutBand(band, m_sink.imageX);
        FeedPaper(m_sink.scaleY);
    }
    m_sink.row.clear();
    m_sink.rowFill = 0;
}

void CReceiptPrinter::OnBitImage(const uint8_t *p, std::size_t n)
{
    const uint8_t m = p[2];
    if (m != 0 && m != 1 && m != 32 && m != 33)
        return Report(Issue::BadParameter, p, n, "bit image mode");
    const uint64_t bytes = static_cast<uint64_t>(Word(p + 3)) * (m >= 32 ? 3 : 1);
    StartCollect(p, n, bytes, bytes, &CReceiptPrinter::BitImageDone);
}

void CReceiptPrinter::BitImageDone()
{
    const int rowsOfBytes = m_command[2] >= 32 ? 3 : 1;
    const int scaleX = m_command[2] == 0 || m_command[2] == 32 ? 2 : 1;
    const std::vector<uint8_t> &data = m_sink.blob;
    const int columns = std::min(static_cast<int>(data.size()) / rowsOfBytes, AreaWidth() / scaleX);
    if (columns == 0)
        return;
    auto image = std::make_shared<DotBitmap>(columns, rowsOfBytes * 8);
    for (int x = 0; x < columns; ++x)
        for (int y = 0; y < image->height; ++y)
            if ((data[static_cast<std::size_t>(x) * rowsOfBytes + y / 8] << (y % 8)) & 0x80)
                image->Set(x, y);
    LineItem item;
    item.bitmap = image.get();
    item.owned = std::move(image);
    item.scaleX = scaleX;
    item.advance = columns * scaleX;
    AddItem(std::move(item));
}

void CReceiptPrinter::OnSymbol(const uint8_t *p, std::size_t n)
{
    const uint64_t length = static_cast<uint64_t>(Word(p + 3));
    if (p[2] == 'k')
        return StartCollect(p, n, length, kMaxBlockBytes, &CReceiptPrinter::SymbolDone);
    if (p[2] == 'L')
        return StartCollect(p, n, length, kMaxBlockBytes, &CReceiptPrinter::GraphicsDone);
    StartCollect(p, n, length, ReportEntry::kShownBytes, &CReceiptPrinter::SkipBlockDone);
}

void CReceiptPrinter::OnGraphicsLong(const uint8_t *p, std::size_t n)
{
    if (n < 7)
        return OnUnknown(p, n);
    const uint64_t length = static_cast<uint64_t>(Word(p + 3)) | static_cast<uint64_t>(Word(p + 5))
                                                                     << 16;
    StartCollect(p, n, length, kMaxImageBytes, &CReceiptPrinter::GraphicsDone);
}

void CReceiptPrinter::SkipBlockDone()
{
    ReportCommand(Issue::Unknown);
}

void CReceiptPrinter::GraphicsDone()
{
    const std::vector<uint8_t> &blob = m_sink.blob;
    const uint8_t fn = blob.size() >= 2 ? blob[1] : 0;
    if (fn == kGraphicsStore)
        return StoreGraphics();
    if (fn == kGraphicsPrint)
        return PrintGraphics();
    ReportCommand(Issue::Unknown, "graphics function " + std::to_string(fn));
}

void CReceiptPrinter::StoreGraphics()
{
    constexpr std::size_t kHeader = 10;
    std::vector<uint8_t> &blob = m_sink.blob;
    if (blob.size() < kHeader)
        return ReportCommand(Issue::BadParameter, "graphics header cut short");
    if (blob[5] < '1' || blob[5] > '4')
        ReportCommand(Issue::BadParameter, "graphics colour");
    StoredGraphics graphics;
    graphics.scaleX = blob[3] == 2 || blob[3] == '2' ? 2 : 1;
    graphics.scaleY = blob[4] == 2 || blob[4] == '2' ? 2 : 1;
    graphics.black = blob[5] == '1';
    graphics.width = Word(blob.data() + 6);
    graphics.height = Word(blob.data() + 8);
    // Moved, not copied: the data may be up to the image cap.
    blob.erase(blob.begin(), blob.begin() + kHeader);
    graphics.data = std::move(blob);
    m_graphics = std::move(graphics);
}

void CReceiptPrinter::PrintGraphics()
{
    if (m_graphics.width == 0 || m_graphics.height == 0)
        return ReportCommand(Issue::BadParameter, "no graphics stored");
    if (!m_graphics.black)
        return ReportCommand(Issue::BadParameter, "only colour 1 (black) prints");
    if (!m_line.items.empty())
        PrintLine(0);
    const int sx = m_graphics.scaleX;
    const int rowBytes = (m_graphics.width + 7) / 8;
    const int dataRows =
        static_cast<int>(m_graphics.data.size() / static_cast<std::size_t>(rowBytes));
    const int rows = std::min(m_graphics.height, dataRows + 1);
    const int width = std::min({m_graphics.width * sx, rowBytes * 8 * sx, AreaWidth()});
    const int x = m_state.leftMargin + AlignOffset(width);
    // In bands, so that a tall image never lies on one byte per dot whole.
    for (int row = 0; row < rows; row += kGraphicsBandRows) {
        DotBitmap band =
            BitRows(m_graphics.data, static_cast<std::size_t>(row) * rowBytes, rowBytes,
                    std::min(kGraphicsBandRows, rows - row), sx, m_graphics.scaleY, AreaWidth());
        for (int y = 0; y < band.height; ++y)
            std::fill(band.Row(y) + width, band.Row(y) + band.width, 0);
        PutBand(band, x);
        FeedPaper(band.height);
    }
}

void CReceiptPrinter::OnNvImage(const uint8_t *p, std::size_t n)
{
    Report(Issue::NvImageNotHeld, p, n, "image " + std::to_string(p[2]));
    if (!m_line.items.empty())
        PrintLine(0);
    PutBand(Placeholder(), m_state.leftMargin + AlignOffset(kPlaceholderWidth));
    FeedPaper(kPlaceholderHeight);
}

void CReceiptPrinter::OnBarHeight(const uint8_t *p, std::size_t n)
{
    if (p[2] == 0)
        return Report(Issue::BadParameter, p, n);
    m_state.barHeight = p[2];
}

void CReceiptPrinter::OnBarModule(const uint8_t *p, std::size_t n)
{
    if (p[2] < 2 || p[2] > 6)
        return Report(Issue::BadParameter, p, n, "module width 2 to 6");
    m_state.barModule = p[2];
}

void CReceiptPrinter::OnHriPosition(const uint8_t *p, std::size_t n)
{
    ParamUpTo(p, n, 3, m_state.hriPosition);
}

void CReceiptPrinter::OnHriFont(const uint8_t *p, std::size_t n)
{
    m_state.hriFontB = FontBParam(p, n);
}

void CReceiptPrinter::OnBarcode(const uint8_t *p, std::size_t n)
{
    const std::optional<LinearType> type = LinearTypeOf(p[2]);
    if (!type)
        return Report(Issue::Unknown, p, n, "barcode type");
    const bool formB = p[2] >= 65;
    if (!formB && (n == 3 || p[n - 1] != 0))
        return Report(Issue::BadParameter, p, n, "no NUL within 255 data bytes");
    const std::string data(p + (formB ? 4 : 3), p + (formB ? n : n - 1));
    const Encoded encoded = EncodeLinear(*type, data);
    if (!encoded.symbol)
        return Report(Issue::BadParameter, p, n, encoded.error);
    const int width = encoded.symbol->width * m_state.barModule;
    if (width > AreaWidth())
        return Report(Issue::BadParameter, p, n, "wider than the print area");
    if (!m_line.items.empty())
        PrintLine(0);
    const int x = m_state.leftMargin + AlignOffset(width);
    if (m_state.hriPosition & 1)
        PrintHri(encoded.symbol->text, x + width / 2);
    Symbol bars = *encoded.symbol;
    bars.rows = 1;
    PutBand(SymbolBand(bars, m_state.barModule, m_state.barHeight), x);
    FeedPaper(m_state.barHeight);
    if (m_state.hriPosition & 2)
        PrintHri(encoded.symbol->text, x + width / 2);
}

void CReceiptPrinter::PrintHri(const std::string &text, int centre)
{
    const GlyphFont font = m_state.hriFontB ? GlyphFont::B : GlyphFont::A;
    const CellSize cell = CellOf(font);
    DotBitmap band(static_cast<int>(text.size()) * cell.width, cell.height);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const DotBitmap &glyph = m_glyphs.Glyph(static_cast<uint8_t>(text[i]), font, false, false);
        Stamp(band, glyph, static_cast<int>(i) * cell.width, 0, 1, 1);
    }
    PutBand(band, std::max(0, centre - band.width / 2));
    FeedPaper(cell.height);
}

void CReceiptPrinter::SymbolDone()
{
    const std::vector<uint8_t> &blob = m_sink.blob;
    if (blob.size() < 2)
        return ReportCommand(Issue::BadParameter, "2D code function missing");
    if (blob[0] == kSymbolQr)
        return QrFunction(blob[1], blob);
    if (blob[0] == kSymbolPdf417)
        return PdfFunction(blob[1], blob);
    ReportCommand(Issue::Unknown, "2D code kind " + std::to_string(blob[0]));
}

void CReceiptPrinter::QrFunction(uint8_t fn, const std::vector<uint8_t> &blob)
{
    const int n = blob.size() > 2 ? blob[2] : -1;
    switch (fn) {
    case 0x41: // model
        if (n != 0x32)
            ReportCommand(Issue::BadParameter, "QR model printed as model 2");
        return;
    case 0x43: // module size
        if (n < 1 || n > 16)
            return ReportCommand(Issue::BadParameter, "QR module size 1 to 16");
        m_state.qrModule = n;
        return;
    case 0x45: // error correction
        if (n < 0x30 || n > 0x33)
            return ReportCommand(Issue::BadParameter, "QR error level");
        m_state.qrLevel = n - 0x30;
        return;
    case 0x50:
        m_state.qrData.assign(blob.begin() + std::min<std::size_t>(3, blob.size()), blob.end());
        return;
    case 0x51:
        return PrintSymbol(EncodeQr(m_state.qrData, m_state.qrLevel), m_state.qrModule,
                           m_state.qrModule);
    case 0x52: // size request: answered by a real printer, nothing printed
        return;
    default:
        ReportCommand(Issue::Unknown, "QR function " + std::to_string(fn));
    }
}

void CReceiptPrinter::PdfFunction(uint8_t fn, const std::vector<uint8_t> &blob)
{
    const int n = blob.size() > 2 ? blob[2] : -1;
    auto set = [&](int &value, int low, int high, const char *what) {
        if (n < low || n > high)
            return ReportCommand(Issue::BadParameter, what);
        value = n;
    };
    switch (fn) {
    case 0x41:
        return set(m_state.pdfColumns, 0, 30, "PDF417 columns 0 to 30");
    case 0x42:
        return set(m_state.pdfRows, n == 0 ? 0 : 3, 90, "PDF417 rows 0 or 3 to 90");
    case 0x43:
        return set(m_state.pdfModule, 2, 8, "PDF417 module width 2 to 8");
    case 0x44:
        return set(m_state.pdfRowHeight, 2, 8, "PDF417 row height 2 to 8");
    case 0x45:
        m_state.pdfLevel = n == 0x30 && blob.size() > 3 ? std::clamp(blob[3] - 0x30, 0, 8) : -1;
        return;
    case 0x46: // truncated symbols: printed whole
        return;
    case 0x50:
        m_state.pdfData.assign(blob.begin() + std::min<std::size_t>(3, blob.size()), blob.end());
        return;
    case 0x51:
        return PrintSymbol(
            EncodePdf417(m_state.pdfData, m_state.pdfColumns, m_state.pdfRows, m_state.pdfLevel),
            m_state.pdfModule, m_state.pdfModule * m_state.pdfRowHeight);
    case 0x52:
        return;
    default:
        ReportCommand(Issue::Unknown, "PDF417 function " + std::to_string(fn));
    }
}

void CReceiptPrinter::PrintSymbol(const Encoded &encoded, int moduleWidth, int rowHeight)
{
    if (!encoded.symbol)
        return ReportCommand(Issue::BadParameter, encoded.error);
    // Measured before drawn: a symbol too wide for the paper is never drawn.
    if (encoded.symbol->width * moduleWidth > AreaWidth())
        return ReportCommand(Issue::BadParameter, "wider than the print area");
    const DotBitmap band = SymbolBand(*encoded.symbol, moduleWidth, rowHeight);
    if (!m_line.items.empty())
        PrintLine(0);
    PutBand(band, m_state.leftMargin + AlignOffset(band.width));
    FeedPaper(band.height);
}

} // namespace Receipt
