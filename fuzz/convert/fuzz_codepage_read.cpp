// Box text (UTF-16 from the input after its first byte, which chooses the
// code page) -> bytes: either an input error at a character of the text with
// the handle untouched, or a byte text whose bytes render back to the same
// bytes.
#include "codepage_fuzz.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    if (size < 3)
        return 0;
    const CodePageId page = ChosenCodePage(data[0]);
    // Copied, as the units are not aligned; not fromUtf16, which would drop
    // a leading U+FEFF.
    QString text(static_cast<qsizetype>((size - 1) / 2), Qt::Uninitialized);
    std::memcpy(text.data(), data + 1, static_cast<std::size_t>(text.size()) * 2);
    HeldHandle held;
    const ConvResult result = BytesFromBoxText(page, text, held.handle);
    if (result == 0) { // an empty text
        FUZZ_CHECK(held.Untouched() && text.isEmpty());
        return 0;
    }
    if (IsConvError(result)) {
        FUZZ_CHECK(held.Untouched());
        FUZZ_CHECK(ByteOffsetToCharPos(page, text, ConvErrorIndex(result)) < text.size());
        return 0;
    }
    CheckResultBuffer(result, held.handle);
    ByteString bytes;
    AsciiToBytes(held.handle.view(), bytes);
    ByteString rendering;
    BytesToAscii(bytes.bytes(), rendering, RulesOf(page));
    ByteString typed;
    BytesFromBoxText(page, BoxTextFromBytes(page, rendering.view()), typed);
    ByteString again;
    AsciiToBytes(typed.view(), again);
    FUZZ_CHECK(SameContent(again, bytes));
    return 0;
}
