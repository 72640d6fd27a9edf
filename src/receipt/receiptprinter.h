// A virtual ESC/POS receipt printer: bytes in, receipts out. Each receipt is a
// 1-bit image of the paper's printable width at 203 dpi and a report of what
// the printer did not understand or does not print.
//
// Bytes may come in pieces of any size: a command split across two pieces
// renders exactly as one piece. A receipt ends at a cut (GS V, ESC i, ESC m),
// at EndReceipt() and at Finish(). Status requests (DLE EOT, GS r ...) are
// never printed; answering them is the caller's business.
//
// Memory follows the bytes that arrived, never a declared size: images and
// collected command data are capped per receipt (kMaxImageBytes) and the
// paper at CReceiptPaper::kMaxLength dots; what lies beyond is reported.
//
// One thread at a time; needs a QGuiApplication for the fonts.
#pragma once

#include "receipt/receiptglyphs.h"
#include "receipt/receiptpaper.h"
#include "receipt/receiptreport.h"
#include "receipt/receiptstate.h"

#include <QByteArray>
#include <QImage>
#include <memory>

namespace Receipt {

struct Receipt
{
    QImage image; // Format_Mono, colour 1 black
    std::vector<ReportEntry> report;
};

class CReceiptPrinter
{
public:
    static constexpr int kPaper80 = 576; // dots: 72 mm printed of an 80 mm roll
    static constexpr int kPaper58 = 384; // 48 mm of a 58 mm roll
    static constexpr uint64_t kMaxImageBytes = 64ull << 20;

    explicit CReceiptPrinter(int paperWidth = kPaper80);
    ~CReceiptPrinter();

    int PaperWidth() const { return m_paper.Width(); }

    void Feed(const uint8_t *data, std::size_t length);
    void Feed(const QByteArray &bytes);
    // Ends the receipt on the paper now (nothing happens on empty paper).
    void EndReceipt();
    // The input has ended: an unfinished command is reported as cut short,
    // the line in the buffer printed and the receipt ended.
    void Finish();
    // The receipts completed so far, oldest first; they are handed over once.
    std::vector<Receipt> TakeReceipts();
    // The receipt on the paper now, as far as it is printed (not the line in
    // the buffer), with its report so far; nothing ends. A null image when
    // nothing was printed or reported since the last receipt.
    Receipt PeekReceipt() const;

private:
    friend struct CommandTable;
    using Handler = void (CReceiptPrinter::*)(const uint8_t *, std::size_t);

    // Commands: receiptprinter.cpp (reading), receipttext.cpp (characters and
    // lines), receiptimages.cpp (images, barcodes, 2D codes).
    void DecodeHead(bool atEnd);
    std::size_t Step(const uint8_t *p, std::size_t n, bool atEnd);
    std::size_t StepText(const uint8_t *p, std::size_t n, bool atEnd);
    std::size_t StepCommand(const uint8_t *p, std::size_t n, bool atEnd);
    std::size_t MeasureCommand(const uint8_t *p, std::size_t n) const;
    std::size_t FeedSink(const uint8_t *data, std::size_t length);
    void FinishSink();
    using SinkDone = void (CReceiptPrinter::*)();
    void StartCollect(const uint8_t *p, std::size_t n, uint64_t length, uint64_t limit,
                      SinkDone done);
    void NoteCommand(const uint8_t *p, std::size_t n);
    void Report(Issue issue, const uint8_t *p, std::size_t n, std::string detail = {});
    void ReportCommand(Issue issue, std::string detail = {});
    void CountImageBytes(uint64_t count);
    // p[2] as a value or digit into `value`; reported instead when above `max`.
    bool ParamUpTo(const uint8_t *p, std::size_t n, int max, int &value);
    // Font B for 1 and above (ESC M, GS f); above 1 is reported.
    bool FontBParam(const uint8_t *p, std::size_t n);

    // Characters and lines.
    void PrintChar(char32_t code, GlyphFont font);
    void AddItem(LineItem item);
    void PrintLine(int feed);
    DotBitmap LineBand(int height, int start, int width) const;
    int AreaWidth() const;
    int AlignOffset(int width) const;
    void PutBand(const DotBitmap &band, int x);
    void FeedPaper(int dots);
    void ReportIfCut(bool fitted); // the paper's cap, once per receipt
    void Cut(int feed);

    void OnLineFeed(const uint8_t *, std::size_t);
    void OnTab(const uint8_t *, std::size_t);
    void OnInitialise(const uint8_t *, std::size_t);
    void OnPrintMode(const uint8_t *p, std::size_t);
    void OnEmphasis(const uint8_t *p, std::size_t);
    void OnDoubleStrike(const uint8_t *p, std::size_t);
    void OnUnderline(const uint8_t *p, std::size_t);
    void OnFont(const uint8_t *p, std::size_t);
    void OnSize(const uint8_t *p, std::size_t);
    void OnReverse(const uint8_t *p, std::size_t);
    void OnUpsideDown(const uint8_t *p, std::size_t);
    void OnTurn(const uint8_t *p, std::size_t);
    void OnSpacing(const uint8_t *p, std::size_t);
    void OnAlign(const uint8_t *p, std::size_t);
    void OnDefaultLineSpacing(const uint8_t *, std::size_t);
    void OnLineSpacing(const uint8_t *p, std::size_t);
    void OnFeedDots(const uint8_t *p, std::size_t);
    void OnFeedLines(const uint8_t *p, std::size_t);
    void OnTabStops(const uint8_t *p, std::size_t n);
    void OnAbsolutePosition(const uint8_t *p, std::size_t);
    void OnRelativePosition(const uint8_t *p, std::size_t);
    void OnLeftMargin(const uint8_t *p, std::size_t);
    void OnAreaWidth(const uint8_t *p, std::size_t);
    void OnCodeTable(const uint8_t *p, std::size_t);
    void OnCharacterSet(const uint8_t *p, std::size_t);
    void OnKanjiOn(const uint8_t *, std::size_t);
    void OnKanjiOff(const uint8_t *, std::size_t);
    void OnKanjiMode(const uint8_t *p, std::size_t);
    void OnKanjiUnderline(const uint8_t *p, std::size_t);
    void OnKanjiSpacing(const uint8_t *p, std::size_t);
    void OnCut(const uint8_t *p, std::size_t n);
    void OnCutOld(const uint8_t *, std::size_t);
    void OnDrawerPulse(const uint8_t *p, std::size_t n);
    void OnNothing(const uint8_t *, std::size_t) {}
    void OnUnknown(const uint8_t *p, std::size_t n);

    // Images, barcodes and 2D codes.
    void OnRaster(const uint8_t *p, std::size_t n);
    void RasterBytes(const uint8_t *data, std::size_t length);
    void DrawRasterRow();
    void OnBitImage(const uint8_t *p, std::size_t n);
    void BitImageDone();
    void OnGraphicsLong(const uint8_t *p, std::size_t n);
    void GraphicsDone();
    void StoreGraphics();
    void PrintGraphics();
    void OnNvImage(const uint8_t *p, std::size_t n);
    void OnBarHeight(const uint8_t *p, std::size_t);
    void OnBarModule(const uint8_t *p, std::size_t);
    void OnHriPosition(const uint8_t *p, std::size_t);
    void OnHriFont(const uint8_t *p, std::size_t);
    void OnBarcode(const uint8_t *p, std::size_t n);
    void PrintHri(const std::string &text, int centre);
    void OnSymbol(const uint8_t *p, std::size_t n);
    void SymbolDone();
    void QrFunction(uint8_t fn, const std::vector<uint8_t> &blob);
    void PdfFunction(uint8_t fn, const std::vector<uint8_t> &blob);
    void PrintSymbol(const struct Encoded &encoded, int moduleWidth, int rowHeight);
    void SkipBlockDone();

    CReceiptPaper m_paper;
    CReceiptGlyphs m_glyphs;
    PrintState m_state;
    LineState m_line;
    Sink m_sink;
    SinkDone m_sinkDone = nullptr;
    StoredGraphics m_graphics;
    std::vector<uint8_t> m_head;    // bytes of a command not complete yet
    uint64_t m_headOffset = 0;      // stream offset of m_head[0]
    std::vector<uint8_t> m_command; // the header of the command being collected
    uint64_t m_commandOffset = 0;
    uint64_t m_imageBytes = 0; // image and collected data of this receipt
    bool m_capReported = false;
    std::vector<ReportEntry> m_report;
    std::vector<Receipt> m_receipts;
};

// Every receipt of `bytes` as if sent at once and then ended.
std::vector<Receipt> RenderReceipts(const QByteArray &bytes, int paperWidth);

} // namespace Receipt
