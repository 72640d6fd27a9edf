// Any byte stream renders without a crash, within the paper's caps, and the
// same whether it arrives whole or in two pieces split where the first byte
// says.
#include "receipt/receiptprinter.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

namespace {

void Check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant failed: %s\n", what);
        std::abort();
    }
}

std::vector<Receipt::Receipt> Render(const uint8_t *data, std::size_t size, std::size_t split,
                                     int paper)
{
    Receipt::CReceiptPrinter printer(paper);
    printer.Feed(data, split);
    printer.Feed(data + split, size - split);
    printer.Finish();
    return printer.TakeReceipts();
}

} // namespace

// Fonts found for new characters stay in fontconfig's and Qt's caches for the
// life of the process; they are not leaks of the renderer.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libQt6Gui\nleak:libfreetype\n";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int paper =
        data[0] & 0x80 ? Receipt::CReceiptPrinter::kPaper58 : Receipt::CReceiptPrinter::kPaper80;
    const std::size_t split = (data[0] & 0x7f) % size;
    const std::vector<Receipt::Receipt> whole = Render(data + 1, size - 1, 0, paper);
    const std::vector<Receipt::Receipt> pieces =
        Render(data + 1, size - 1, std::min(split, size - 1), paper);
    Check(whole.size() == pieces.size(), "same number of receipts");
    for (std::size_t i = 0; i < whole.size(); ++i) {
        Check(whole[i].image.width() == paper, "paper width");
        Check(whole[i].image.height() <= Receipt::CReceiptPaper::kMaxLength, "paper length");
        Check(whole[i].image == pieces[i].image, "same image");
        Check(Receipt::FormatReport(whole[i].report) == Receipt::FormatReport(pieces[i].report),
              "same report");
    }
    return 0;
}
