#include "statusparser.h"

namespace {

constexpr uint8_t kDle = 0x10;
constexpr uint8_t kEot = 0x04;
constexpr uint8_t kGs = 0x1D;
constexpr uint8_t kGsStatus = 'r';

// Fixed bits of every status byte of this family of printers (bits 1 and 4),
// with no condition set: online, cover closed, paper present, no error.
constexpr char kStatusAllWell = 0x12;
// Paper and drawer sensors report "nothing wrong" as 0.
constexpr char kSensorAllWell = 0x00;

bool IsRequestStart(uint8_t first, uint8_t second)
{
    return (first == kDle && second == kEot) || (first == kGs && second == kGsStatus);
}

} // namespace

std::string CStatusParser::AnswerFor(uint8_t first, uint8_t second, uint8_t parameter)
{
    if (first == kDle && second == kEot && parameter >= 1 && parameter <= 4)
        return std::string(1, kStatusAllWell);
    if (first == kGs && second == kGsStatus &&
        (parameter == 1 || parameter == 2 || parameter == 49 || parameter == 50))
        return std::string(1, kSensorAllWell);
    return {};
}

std::string CStatusParser::Feed(const uint8_t *data, std::size_t length)
{
    std::string answers;
    for (std::size_t i = 0; i < length; ++i) {
        const uint8_t byte = data[i];
        m_pending.push_back(byte);
        if (m_pending.size() == 2 && !IsRequestStart(m_pending[0], m_pending[1]))
            m_pending.erase(m_pending.begin()); // the second byte may start a request itself
        if (m_pending.size() == 1 && byte != kDle && byte != kGs)
            m_pending.clear();
        if (m_pending.size() == 3) {
            answers += AnswerFor(m_pending[0], m_pending[1], m_pending[2]);
            m_pending.clear();
        }
    }
    return answers;
}
