// Barcodes and 2D codes as module matrices, encoded by libzint. The printer
// scales modules to dots itself (GS w, GS h, module sizes), so only the
// modules are taken from the library, never its drawing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Receipt {

enum class LinearType
{
    UpcA,
    UpcE,
    Ean13,
    Ean8,
    Code39,
    Itf,
    Codabar,
    Code93,
    Code128,
};

// The type GS k m selects: m 0..6 (data ended by NUL) or 65..73 (with a length).
std::optional<LinearType> LinearTypeOf(uint8_t m);

struct Symbol
{
    int width = 0; // modules
    int rows = 0;
    std::vector<uint8_t> modules; // rows x width, 1 = black
    std::string text;             // human-readable text of a barcode

    bool At(int x, int row) const { return modules[static_cast<std::size_t>(row) * width + x]; }
};

struct Encoded
{
    std::optional<Symbol> symbol;
    std::string error; // why there is no symbol
};

// CODE128 data may start or switch code sets with "{A", "{B", "{C"; "{{" is a "{".
Encoded EncodeLinear(LinearType type, const std::string &data);
// level 0..3 = L, M, Q, H.
Encoded EncodeQr(const std::vector<uint8_t> &data, int level);
// columns and rows 0 = chosen by the encoder; level 0..8, or -1 for the default.
Encoded EncodePdf417(const std::vector<uint8_t> &data, int columns, int rows, int level);

} // namespace Receipt
