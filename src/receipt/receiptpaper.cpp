#include "receipt/receiptpaper.h"

#include <algorithm>
#include <cstring>

namespace Receipt {

namespace {

// Eight dots of one byte each (0 or 1) as one byte of a 1-bit row, the first
// dot in the most significant bit: the multiplication gathers the eight low
// bits into the top byte.
uchar PackEight(const uint8_t *dots)
{
    uint64_t eight;
    std::memcpy(&eight, dots, sizeof eight);
    return static_cast<uchar>((eight * 0x8040201008040201ull) >> 56);
}

} // namespace

bool CReceiptPaper::Put(const DotBitmap &band, int x)
{
    const int wanted = m_position + band.height;
    const int bottom = std::min(wanted, kMaxLength);
    if (bottom > Rows())
        m_dots.resize(static_cast<std::size_t>(bottom) * m_width, 0);
    const int x0 = std::max(0, x);
    const int x1 = std::min(m_width, x + band.width);
    for (int y = m_position; y < bottom; ++y) {
        const uint8_t *from = band.Row(y - m_position);
        uint8_t *to = m_dots.data() + static_cast<std::size_t>(y) * m_width;
        for (int tx = x0; tx < x1; ++tx)
            to[tx] |= from[tx - x];
    }
    return bottom == wanted;
}

bool CReceiptPaper::Feed(int dots)
{
    const int wanted = m_position + std::max(0, dots);
    m_position = std::min(wanted, kMaxLength);
    return m_position == wanted;
}

QImage CReceiptPaper::TakeImage()
{
    const int height = std::max(m_position, Rows());
    QImage image(m_width, std::max(height, 1), QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.setDotsPerMeterX(7992); // 203 dpi
    image.setDotsPerMeterY(7992);
    uchar *bits = image.bits();
    const std::size_t lineBytes = static_cast<std::size_t>(image.bytesPerLine());
    std::memset(bits, 0, lineBytes * static_cast<std::size_t>(image.height()));
    for (int y = 0; y < Rows(); ++y) {
        const uint8_t *from = m_dots.data() + static_cast<std::size_t>(y) * m_width;
        uchar *to = bits + static_cast<std::size_t>(y) * lineBytes;
        int x = 0;
        for (; x + 8 <= m_width; x += 8)
            to[x >> 3] = PackEight(from + x);
        for (; x < m_width; ++x)
            if (from[x])
                to[x >> 3] |= static_cast<uchar>(0x80 >> (x & 7));
    }
    // A receipt of ordinary length keeps its storage for the next one; a very
    // long one hands it back.
    m_dots.clear();
    if (m_dots.capacity() > kKeptBytes)
        m_dots.shrink_to_fit();
    m_position = 0;
    return image;
}

} // namespace Receipt
