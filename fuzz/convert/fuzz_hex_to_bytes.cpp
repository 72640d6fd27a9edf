// Hex notation reader on arbitrary text: errors point at a bad character
// inside the input and leave the handle alone; HexToAscii fails alike; what
// is read writes back and reads again to the same bytes.
#include "fuzz_support.h"

namespace {

bool IsSeparator(char ch)
{
    return std::strchr(" \t\n\r,;", ch) != nullptr && ch != '\0';
}

void CheckError(std::string_view text, ConvResult result)
{
    const std::size_t at = ConvErrorIndex(result);
    FUZZ_CHECK(at < text.size());
    FUZZ_CHECK(!IsSeparator(text[at]));
    HeldHandle ascii;
    FUZZ_CHECK(HexToAscii(text, ascii.handle) == result);
    FUZZ_CHECK(ascii.Untouched());
}

void CheckBytes(std::string_view text, const ByteString &bytes)
{
    ByteString ascii;
    const ConvResult asciiLength = HexToAscii(text, ascii);
    if (bytes.empty()) {
        FUZZ_CHECK(asciiLength == 0);
        return;
    }
    ByteString rendered;
    FUZZ_CHECK(BytesToAscii(bytes.bytes(), rendered) == asciiLength);
    FUZZ_CHECK(SameContent(rendered, ascii));
    for (char separator : {' ', ','}) {
        ByteString hex;
        const ConvResult hexLength = BytesToHex(bytes.bytes(), hex, separator);
        CheckResultBuffer(hexLength, hex);
        FUZZ_CHECK(hex.size() == 3 * bytes.size() - 1);
        ByteString again;
        FUZZ_CHECK(HexToBytes(hex.view(), again) == static_cast<ConvResult>(bytes.size()));
        FUZZ_CHECK(SameContent(bytes, again));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    HeldHandle held;
    const ConvResult result = HexToBytes(text, held.handle);
    if (IsConvError(result)) {
        FUZZ_CHECK(held.Untouched());
        CheckError(text, result);
        return 0;
    }
    if (text.empty()) {
        FUZZ_CHECK(result == 0 && held.Untouched());
        return 0;
    }
    CheckResultBuffer(result, held.handle);
    FUZZ_CHECK(held.handle.size() <= text.size()); // never more bytes than characters
    CheckBytes(text, held.handle);
    return 0;
}
