// Ascii notation on arbitrary bytes: the rendering reads back to what the data
// itself reads as (the data when it spells no escape), its size stays within
// bounds, and the hex paths agree with the byte paths.
#include "fuzz_support.h"

namespace {

void CheckRendering(std::span<const uint8_t> bytes, std::string_view asText)
{
    ByteString ascii;
    const ConvResult length = BytesToAscii(bytes, ascii);
    CheckResultBuffer(length, ascii);
    FUZZ_CHECK(ascii.size() >= bytes.size() && ascii.size() <= 6 * bytes.size());

    ByteString back;
    CheckResultBuffer(AsciiToBytes(ascii.view(), back), back);
    ByteString literal;
    AsciiToBytes(asText, literal);
    FUZZ_CHECK(SameContent(back, literal));
    if (!SpellsAnEscape(bytes))
        FUZZ_CHECK(back.view() == asText);

    ByteString hex;
    BytesToHex(bytes, hex);
    ByteString viaHex;
    FUZZ_CHECK(HexToAscii(hex.view(), viaHex) == length);
    FUZZ_CHECK(SameContent(viaHex, ascii));
}

void CheckAsciiToHex(std::string_view text)
{
    ByteString bytes;
    const ConvResult count = AsciiToBytes(text, bytes);
    CheckResultBuffer(count, bytes);
    FUZZ_CHECK(count >= 1 && static_cast<std::size_t>(count) <= text.size());
    ByteString hex;
    CheckResultBuffer(AsciiToHex(text, hex), hex);
    ByteString expected;
    BytesToHex(bytes.bytes(), expected);
    FUZZ_CHECK(SameContent(hex, expected));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    if (size == 0) {
        HeldHandle held;
        FUZZ_CHECK(BytesToAscii(bytes, held.handle) == 0 && AsciiToBytes(text, held.handle) == 0);
        FUZZ_CHECK(AsciiToHex(text, held.handle) == 0 && BytesToHex(bytes, held.handle) == 0);
        FUZZ_CHECK(held.Untouched());
        return 0;
    }
    CheckRendering(bytes, text);
    CheckAsciiToHex(text);
    return 0;
}
