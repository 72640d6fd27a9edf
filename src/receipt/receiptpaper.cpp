#include "receipt/receiptpaper.h"

#include <algorithm>
#include <cstring>

namespace Receipt {

bool CReceiptPaper::Put(const DotBitmap &band, int x)
{
    const int wanted = m_position + band.height;
    const int bottom = std::min(wanted, kMaxLength);
    if (bottom > Rows())
        m_bits.resize(static_cast<std::size_t>(bottom) * m_rowBytes, 0);
    const int x0 = std::max(0, x);
    const int x1 = std::min(m_width, x + band.width);
    for (int y = m_position; y < bottom; ++y) {
        const uint8_t *from = band.Row(y - m_position);
        uint8_t *to = m_bits.data() + static_cast<std::size_t>(y) * m_rowBytes;
        for (int tx = x0; tx < x1; ++tx)
            if (from[tx - x])
                to[tx >> 3] |= static_cast<uint8_t>(0x80 >> (tx & 7));
    }
    return bottom == wanted;
}

bool CReceiptPaper::Feed(int dots)
{
    const int wanted = m_position + std::max(0, dots);
    m_position = std::min(wanted, kMaxLength);
    return m_position == wanted;
}

QImage CReceiptPaper::Image() const
{
    const int height = std::max(m_position, Rows());
    QImage image(m_width, std::max(height, 1), QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.setDotsPerMeterX(7992); // 203 dpi
    image.setDotsPerMeterY(7992);
    image.fill(0);
    for (int y = 0; y < Rows(); ++y)
        std::memcpy(image.scanLine(y), m_bits.data() + static_cast<std::size_t>(y) * m_rowBytes,
                    m_rowBytes);
    return image;
}

QImage CReceiptPaper::TakeImage()
{
    QImage image = Image();
    // A receipt of ordinary length keeps its storage for the next one; a very
    // long one hands it back.
    m_bits.clear();
    if (m_bits.capacity() > kKeptBytes)
        m_bits.shrink_to_fit();
    m_position = 0;
    return image;
}

} // namespace Receipt
