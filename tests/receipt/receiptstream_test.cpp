// The byte stream: pieces of any size, receipts ending at cuts, commands the
// printer does not know, and declared sizes that did not arrive.
#include "receipttesting.h"

#include <sys/resource.h>

using namespace ReceiptTesting;
using Receipt::Issue;

namespace {

// A receipt that uses most kinds of command, every one of them split below.
QByteArray MixedStream()
{
    QByteArray bytes = Bytes({0x1b, '@', 0x1b, 'a', 1, 0x1d, '!', 0x11}) + "Title\r\n";
    bytes += Bytes({0x1d, '!', 0, 0x1b, 'a', 0, 0x1b, 'E', 1}) + "\xd6\xd0\xce\xc4 GBK\n";
    bytes += Bytes({0x1b, 'E', 0, 0x1b, '-', 2, 0x1b, '$', 40, 0}) + "x\tTab\r";
    bytes += Bytes({0x1b, '-', 0, 0x1b, '3', 40, 0x1b, 'D', 4, 9, 0, 0x10, 0x04, 1});
    bytes += Bytes({0x1d, 'v', '0', 1, 2, 0, 3, 0, 0xff, 0x0f, 0xf0, 0x33, 0xcc, 0x55});
    bytes += Bytes({0x1b, '*', 33, 2, 0, 1, 2, 3, 4, 5, 6}) + "\n";
    bytes +=
        Bytes({0x1d, 'h', 40, 0x1d, 'H', 2, 0x1d, 'k', 73, 7, '{', 'B', 'A', 'b', '{', 'C', 12});
    bytes += Bytes({0x1d, '(', 'k', 4, 0, '1', 'A', '2', 0, 0x1d, '(', 'k', 3, 0, '1', 'C', 4});
    bytes += Bytes({0x1d, '(', 'k', 8, 0, '1', 'P', '0', 'h', 'e', 'l', 'l', 'o'});
    bytes += Bytes({0x1d, '(', 'k', 3, 0, '1', 'Q', '0', 0x1b, 0x99, 0x1d, 'V', 66, 20});
    return bytes;
}

void ExpectSameReceipts(const std::vector<Receipt::Receipt> &a,
                        const std::vector<Receipt::Receipt> &b)
{
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_TRUE(SameDots(b[i].image, a[i].image)) << "receipt " << i;
        EXPECT_EQ(Report(a[i]), Report(b[i])) << "receipt " << i;
    }
}

// Split once at every byte, or fed byte by byte: the same receipts.
TEST(StreamTest, PiecesRenderTheSame)
{
    const QByteArray bytes = MixedStream() + MixedStream();
    const std::vector<Receipt::Receipt> whole = RenderAll(bytes);
    ASSERT_EQ(whole.size(), 2u);
    Receipt::CReceiptPrinter bytewise;
    for (int split = 1; split < bytes.size(); ++split) {
        SCOPED_TRACE("split at " + std::to_string(split));
        bytewise.Feed(bytes.mid(split - 1, 1));
        Receipt::CReceiptPrinter printer;
        printer.Feed(bytes.left(split));
        printer.Feed(bytes.mid(split));
        printer.Finish();
        ExpectSameReceipts(printer.TakeReceipts(), whole);
    }
    bytewise.Feed(bytes.right(1));
    bytewise.Finish();
    ExpectSameReceipts(bytewise.TakeReceipts(), whole);
}

using UnknownRow = std::tuple<const char *, QByteArray, Issue>; // name, command, issue
using UnknownCommandTest = testing::TestWithParam<UnknownRow>;

// The command is reported where it starts; the text after it still prints.
TEST_P(UnknownCommandTest, ReportedAtItsOffsetAndTextPrints)
{
    const auto &[name, command, issue] = GetParam();
    const QByteArray before = QByteArray("\xd6\xd0") + "ab";
    const Receipt::Receipt receipt = RenderOne(before + command + "Hi\n");
    ASSERT_EQ(receipt.report.size(), 1u) << Report(receipt);
    const Receipt::ReportEntry &entry = receipt.report[0];
    EXPECT_EQ(entry.offset, 4u);
    EXPECT_EQ(entry.issue, issue);
    const QByteArray shown(reinterpret_cast<const char *>(entry.bytes.data()),
                           static_cast<int>(entry.bytes.size()));
    EXPECT_EQ(shown, command.left(16));
    EXPECT_TRUE(SameDots(Render(before + "Hi\n"), receipt.image));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, UnknownCommandTest,
    testing::Values(
        UnknownRow{"Esc99", Bytes({0x1b, 0x99}), Issue::Unknown},
        UnknownRow{"MadeUpGs", Bytes({0x1d, 0x7e}), Issue::Unknown},
        UnknownRow{"MadeUpFs", Bytes({0x1c, 0x99}), Issue::Unknown},
        UnknownRow{"Dle", Bytes({0x10, 0x99}), Issue::Unknown},
        UnknownRow{"Bell", Bytes({0x07}), Issue::Unknown},
        UnknownRow{"GsParenBlock", Bytes({0x1d, '(', 'Z', 2, 0, 'H', 'i'}), Issue::Unknown},
        UnknownRow{"BarcodeType", Bytes({0x1d, 'k', 20}), Issue::Unknown},
        UnknownRow{"DrawerPulse", Bytes({0x1b, 'p', 0, 50, 50}), Issue::CashDrawerPulse},
        UnknownRow{"CodeTable", Bytes({0x1b, 't', 99}), Issue::BadParameter},
        UnknownRow{"AlignThree", Bytes({0x1b, 'a', '3'}), Issue::BadParameter},
        UnknownRow{"HriFive", Bytes({0x1d, 'H', 5}), Issue::BadParameter},
        UnknownRow{"BadBarcodeData", Bytes({0x1d, 'k', 2, 'x', 0}), Issue::BadParameter},
        UnknownRow{"QrWithoutData", Bytes({0x1d, '(', 'k', 3, 0, '1', 'Q', '0'}),
                   Issue::BadParameter}),
    ByName);

using CutRow = std::tuple<const char *, QByteArray, int>; // name, cut, extra feed
using CutTest = testing::TestWithParam<CutRow>;

TEST_P(CutTest, EndsAReceipt)
{
    const auto &[name, cut, extraFeed] = GetParam();
    const std::vector<Receipt::Receipt> receipts = RenderAll("one\n" + cut + "two\n" + cut);
    ASSERT_EQ(receipts.size(), 2u);
    EXPECT_EQ(receipts[0].image.height(), 30 + extraFeed);
    EXPECT_EQ(receipts[1].image.height(), 30 + extraFeed);
    EXPECT_FALSE(
        SameDots(receipts[0].image.copy(0, 0, 576, 24), receipts[1].image.copy(0, 0, 576, 24)));
}

INSTANTIATE_TEST_SUITE_P(Cuts, CutTest,
                         testing::Values(CutRow{"Full", Bytes({0x1d, 'V', 0}), 0},
                                         CutRow{"PartialDigit", Bytes({0x1d, 'V', '1'}), 0},
                                         CutRow{"FeedThenCut", Bytes({0x1d, 'V', 66, 24}), 24},
                                         CutRow{"EscI", Bytes({0x1b, 'i'}), 0},
                                         CutRow{"EscM", Bytes({0x1b, 'm'}), 0}),
                         ByName);

// Status requests print nothing, and a cut on empty paper makes no receipt.
TEST(StreamTest, ReceiptsOnlyOfPaperUsed)
{
    EXPECT_TRUE(
        RenderAll(Bytes({0x10, 0x04, 1, 0x1d, 'r', 1, 0x10, 0x04, 4, 0x1d, 'a', 0})).empty());
    EXPECT_TRUE(RenderAll(Bytes({0x1d, 'V', 0, 0x1b, 'i', 0x1d, 'V', '0'})).empty());
    EXPECT_EQ(RenderAll(QByteArray("a\n") + Bytes({0x1d, 'V', 0, 0x1d, 'V', 0})).size(), 1u);
}

long MaxResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// AddressSanitizer keeps freed blocks in quarantine instead of reusing them,
// so there the peak resident size measures the sanitizer, not the renderer.
#ifdef __SANITIZE_ADDRESS__
constexpr bool kPeakMeansHeld = false;
#else
constexpr bool kPeakMeansHeld = true;
#endif

// The one receipt `bytes` print, rendered with the peak resident size
// growing by less than `limitKiB` (the fonts loaded before).
Receipt::Receipt RenderOneWithin(const QByteArray &bytes, long limitKiB)
{
    Render("fonts loaded\n");
    const long before = MaxResidentKiB();
    Receipt::Receipt receipt = RenderOne(bytes);
    if (kPeakMeansHeld) {
        EXPECT_LT(MaxResidentKiB() - before, limitKiB);
    }
    return receipt;
}

using CapRow = std::pair<const char *, QByteArray>; // name, header
using DeclaredSizeTest = testing::TestWithParam<CapRow>;

// A header declaring far more than arrives renders what came, reports the
// rest as cut short and allocates nothing from the declared size.
TEST_P(DeclaredSizeTest, RendersWhatArrived)
{
    const Receipt::Receipt receipt =
        RenderOneWithin(GetParam().second + QByteArray(10, '\xff'), 32 * 1024);
    EXPECT_EQ(receipt.image.width(), 576);
    EXPECT_LE(receipt.image.height(), 48);
    const auto found =
        std::find_if(receipt.report.begin(), receipt.report.end(), [&](const auto &entry) {
            return entry.issue == Issue::DataCutShort && entry.offset == 0;
        });
    EXPECT_NE(found, receipt.report.end()) << Report(receipt);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, DeclaredSizeTest,
    testing::Values(
        CapRow{"Raster65535Squared", Bytes({0x1d, 'v', '0', 3, 0xff, 0xff, 0xff, 0xff})},
        CapRow{"GraphicsFourGiB", Bytes({0x1d, '8', 'L', 0xff, 0xff, 0xff, 0xff, '0', 0x70})},
        CapRow{"BitImage", Bytes({0x1b, '*', 33, 0xff, 0xff})},
        CapRow{"QrStore", Bytes({0x1d, '(', 'k', 0xff, 0xff, '1', 'P', '0'})}),
    ByName);

TEST(StreamTest, RasterRowsArrivedPrintBeforeTheCut)
{
    const Receipt::Receipt receipt =
        RenderOne(Bytes({0x1d, 'v', '0', 0, 1, 0, 0xff, 0xff}) + QByteArray(10, '\xff'));
    EXPECT_EQ(receipt.image.height(), 10);
    EXPECT_EQ(BlackBox(receipt.image), QRect(0, 0, 8, 10));
}

TEST(StreamTest, PaperStopsAtItsCap)
{
    const QByteArray feeds = Bytes({0x1b, 'J', 255}).repeated(500);
    // Paper and image: a bit a dot.
    const Receipt::Receipt receipt = RenderOneWithin(feeds + "end\n", 32 * 1024);
    EXPECT_EQ(receipt.image.height(), Receipt::CReceiptPaper::kMaxLength);
    EXPECT_EQ(Report(receipt), "offset 1176: 1B 4A FF: beyond the cap: receipt longer than "
                               "100000 dots\n");
}

// Graphics of 65535 full rows, printed twice as high: the paper stops at its
// cap, and the image is never held one byte per dot.
TEST(StreamTest, TallGraphicsPrintInBands)
{
    const int length = 10 + 72 * 0xffff;
    QByteArray bytes = Bytes({0x1d, '8', 'L', length & 0xff, length >> 8 & 0xff, length >> 16, 0,
                              '0', 0x70, '0', 1, 2, '1', 0x40, 0x02, 0xff, 0xff}) +
                       QByteArray(72 * 0xffff, '\x55') + Bytes({0x1d, '(', 'L', 2, 0, '0', '2'});
    const Receipt::Receipt receipt = RenderOneWithin(bytes, 40 * 1024);
    EXPECT_EQ(receipt.image.height(), Receipt::CReceiptPaper::kMaxLength);
    EXPECT_TRUE(Black(receipt.image, 1, Receipt::CReceiptPaper::kMaxLength - 1));
    EXPECT_EQ(Report(receipt), "offset 4718537: 1D 28 4C 02 00 30 32: beyond the cap: receipt "
                               "longer than 100000 dots\n");
}

TEST(StreamTest, CutShortCommandAtTheEnd)
{
    const Receipt::Receipt receipt = RenderOne(QByteArray("ab") + Bytes({0x1d, '!'}));
    EXPECT_EQ(Report(receipt), "offset 2: 1D 21: data cut short\n");
}

TEST(StreamTest, EndReceiptOnRequest)
{
    Receipt::CReceiptPrinter printer(Receipt::CReceiptPrinter::kPaper58);
    printer.Feed(QByteArray("one"));
    printer.EndReceipt();
    printer.EndReceipt();
    const std::vector<Receipt::Receipt> receipts = printer.TakeReceipts();
    ASSERT_EQ(receipts.size(), 1u);
    EXPECT_EQ(receipts[0].image.width(), 384);
    EXPECT_EQ(receipts[0].image.format(), QImage::Format_Mono);
}

} // namespace
