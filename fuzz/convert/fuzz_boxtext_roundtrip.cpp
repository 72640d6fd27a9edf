// The box text boundary on arbitrary bytes: data shown in either notation
// reads back as the engine reads its rendering; any text taken into a box keeps its Ascii
// reading; every byte offset maps to a character of the box text.
#include "convert/boxtext.h"
#include "fuzz_support.h"

namespace {

std::string_view ViewOf(const ByteString &text)
{
    return text.view();
}

ByteString ThroughBox(std::string_view gbk)
{
    ByteString back;
    const QString box = BoxTextFromGbk(gbk);
    const ConvResult length = GbkFromBoxText(box, back);
    FUZZ_CHECK(length >= 0);
    FUZZ_CHECK(back.size() == static_cast<std::size_t>(length));
    for (std::size_t offset = 0; offset < back.size(); offset += 7)
        FUZZ_CHECK(ByteOffsetToCharPos(box, offset) < box.size());
    FUZZ_CHECK(ByteOffsetToCharPos(box, back.size()) == box.size());
    return back;
}

void CheckRawText(std::string_view text)
{
    ByteString direct;
    AsciiToBytes(text, direct);
    ByteString viaBox;
    AsciiToBytes(ViewOf(ThroughBox(text)), viaBox);
    FUZZ_CHECK(SameContent(direct, viaBox));
}

// The engine's rendering reads the same through the box as directly: the
// data itself whenever it does not spell an escape of its own.
void CheckDataThroughAsciiBox(std::span<const uint8_t> bytes)
{
    ByteString rendering;
    BytesToAscii(bytes, rendering);
    CheckRawText(rendering.view());
}

void CheckDataThroughHexBox(std::span<const uint8_t> bytes)
{
    ByteString rendering;
    BytesToHex(bytes, rendering);
    const ByteString text = ThroughBox(rendering.view());
    FUZZ_CHECK(SameContent(text, rendering)); // hex text is plain ASCII
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::span<const uint8_t> bytes(data, size);
    CheckDataThroughAsciiBox(bytes);
    CheckDataThroughHexBox(bytes);
    CheckRawText({reinterpret_cast<const char *>(data), size});
    return 0;
}
