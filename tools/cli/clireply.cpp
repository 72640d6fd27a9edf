#include "clireply.h"

#include "convert/bytestring.h"
#include "convert/codepage.h"
#include "convert/convert.h"

#include <QString>

#include <algorithm>

ExpectVerdict MatchReply(std::span<const uint8_t> expected, std::span<const uint8_t> reply)
{
    const std::size_t common = std::min(expected.size(), reply.size());
    const auto [e, r] = std::mismatch(expected.begin(), expected.begin() + common, reply.begin());
    const auto offset = static_cast<std::size_t>(e - expected.begin());
    if (offset < common)
        return {ExpectVerdict::State::Differs, offset};
    if (reply.size() >= expected.size())
        return {ExpectVerdict::State::Matched, expected.size()};
    return {ExpectVerdict::State::Pending, reply.size()};
}

std::string HexText(std::span<const uint8_t> bytes)
{
    ByteString text;
    if (BytesToHex(bytes, text, ' ') <= 0)
        return {};
    return std::string(text.view());
}

namespace {

// A rendering in `page` (ASCII and shown characters only) in the terminal's
// encoding.
std::string LocalText(CodePageId page, std::string_view rendering)
{
    const auto *bytes = reinterpret_cast<const uint8_t *>(rendering.data());
    QString text;
    for (std::size_t i = 0; i < rendering.size();) {
        const std::span<const uint8_t> rest(bytes + i, rendering.size() - i);
        const std::size_t length = std::max<std::size_t>(ShownCharLength(RulesOf(page), rest), 1);
        const char32_t ch = bytes[i] < 0x80 ? bytes[i] : ShownCharAt(page, rest);
        text += QString::fromUcs4(&ch, 1);
        i += length;
    }
    return text.toLocal8Bit().toStdString();
}

} // namespace

std::string FormatReply(std::span<const uint8_t> reply, CliOutputForm form,
                        std::optional<CodePageId> page)
{
    if (reply.empty())
        return {};
    if (form == CliOutputForm::Raw)
        return std::string(reinterpret_cast<const char *>(reply.data()), reply.size());
    if (form == CliOutputForm::Hex)
        return HexText(reply) + "\n";
    ByteString text;
    BytesToAscii(reply, text, RulesOf(page.value_or(CodePageId::Gbk)));
    std::string line = page ? LocalText(*page, text.view()) : std::string(text.view());
    if (!line.ends_with('\n'))
        line += '\n';
    return line;
}

std::string DescribeMismatch(std::span<const uint8_t> expected, std::span<const uint8_t> reply,
                             std::size_t offset)
{
    return "the reply differs from the expected bytes at offset " + std::to_string(offset) +
           "\n  expected: " + HexText(expected) + "\n  received: " + HexText(reply) + "\n";
}

std::string DescribeShortReply(std::span<const uint8_t> expected, std::span<const uint8_t> reply,
                               uint32_t timeoutMs)
{
    const std::string head = "timed out after " + std::to_string(timeoutMs) + " ms: ";
    if (reply.empty())
        return head + "no reply\n  expected: " + HexText(expected) + "\n";
    return head + "received " + std::to_string(reply.size()) + " of " +
           std::to_string(expected.size()) + " expected bytes\n  expected: " + HexText(expected) +
           "\n  received: " + HexText(reply) + "\n";
}
