// The paper of one receipt: a roll of the printable width that grows as lines
// are printed and fed, up to kMaxLength dots. It only ever holds the rows
// that were printed or fed, never rows a command merely declared, eight dots
// to a byte as the image has them (a receipt at the cap is 7.2 MB).
#pragma once

#include "receipt/dotbitmap.h"

#include <QImage>

namespace Receipt {

class CReceiptPaper
{
public:
    static constexpr int kMaxLength = 100000; // dots, about 12.3 m of paper

    explicit CReceiptPaper(int width) : m_width(width) {}

    int Width() const { return m_width; }
    // Rows from the top of the receipt to the print position.
    int Position() const { return m_position; }
    // Whether anything was printed or fed since the receipt began.
    bool Used() const { return m_position > 0 || !m_bits.empty(); }

    // Puts `band` with its top left at column x of the print position. Returns
    // false when rows fell beyond kMaxLength and were dropped.
    bool Put(const DotBitmap &band, int x);
    // Moves the print position down; false when it stopped at kMaxLength.
    bool Feed(int dots);
    // The receipt so far as a 1-bit image (colour 1 black).
    QImage Image() const;
    // The same, and the paper starts empty.
    QImage TakeImage();

private:
    int Rows() const { return static_cast<int>(m_bits.size() / m_rowBytes); }

    static constexpr std::size_t kKeptBytes = 1u << 20;

    int m_width;
    std::size_t m_rowBytes = (static_cast<std::size_t>(m_width) + 7) / 8;
    int m_position = 0;
    std::vector<uint8_t> m_bits; // Rows() rows, the first dot in the high bit
};

} // namespace Receipt
