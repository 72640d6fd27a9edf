// The paper of one receipt: a roll of the printable width that grows as lines
// are printed and fed, up to kMaxLength dots. It only ever holds the rows
// that were printed or fed, never rows a command merely declared.
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
    bool Used() const { return m_position > 0 || !m_dots.empty(); }

    // Puts `band` with its top left at column x of the print position. Returns
    // false when rows fell beyond kMaxLength and were dropped.
    bool Put(const DotBitmap &band, int x);
    // Moves the print position down; false when it stopped at kMaxLength.
    bool Feed(int dots);
    // The receipt as a 1-bit image (colour 1 black); the paper starts empty.
    QImage TakeImage();

private:
    int Rows() const { return static_cast<int>(m_dots.size() / static_cast<std::size_t>(m_width)); }

    static constexpr std::size_t kKeptBytes = 8u << 20;

    int m_width;
    int m_position = 0;
    std::vector<uint8_t> m_dots; // one byte per dot, Rows() rows
};

} // namespace Receipt
