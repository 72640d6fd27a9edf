// Bytes -> text in a code page (chosen by the first input byte): the
// rendering survives a box unchanged, reads back to the data (unless the data
// spells an escape) and agrees with the hex path.
#include "codepage_fuzz.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const CodePageId page = ChosenCodePage(data[0]);
    const std::span<const uint8_t> bytes(data + 1, size - 1);
    ByteString rendering;
    CheckResultBuffer(BytesToAscii(bytes, rendering, RulesOf(page)), rendering);
    FUZZ_CHECK(rendering.size() >= bytes.size() && rendering.size() <= 6 * bytes.size());

    ByteString typed;
    const ConvResult typedLength =
        BytesFromBoxText(page, BoxTextFromBytes(page, rendering.view()), typed);
    CheckResultBuffer(typedLength, typed);
    if (page != CodePageId::Gbk) // GBK's box may escape a pair more, see boxtext.h
        FUZZ_CHECK(SameContent(typed, rendering));

    ByteString back;
    AsciiToBytes(typed.view(), back);
    if (!SpellsAnEscape(bytes))
        FUZZ_CHECK(back.bytes().size() == bytes.size() &&
                   std::memcmp(back.data(), bytes.data(), bytes.size()) == 0);

    ByteString hex;
    BytesToHex(bytes, hex);
    ByteString viaHex;
    HexToAscii(hex.view(), viaHex, RulesOf(page));
    FUZZ_CHECK(SameContent(viaHex, rendering));
    return 0;
}
