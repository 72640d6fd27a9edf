#include "receipt/receiptcodes.h"

#include <memory>
#include <zint.h>

namespace Receipt {

namespace {

using ZintSymbol = std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)>;

ZintSymbol NewSymbol(int symbology)
{
    ZintSymbol symbol(ZBarcode_Create(), &ZBarcode_Delete);
    symbol->symbology = symbology;
    symbol->input_mode = DATA_MODE;
    return symbol;
}

Symbol ModulesOf(const zint_symbol &zint)
{
    Symbol symbol;
    symbol.width = zint.width;
    symbol.rows = zint.rows;
    symbol.modules.resize(static_cast<std::size_t>(zint.width) * zint.rows);
    for (int row = 0; row < zint.rows; ++row)
        for (int x = 0; x < zint.width; ++x)
            symbol.modules[static_cast<std::size_t>(row) * zint.width + x] =
                (zint.encoded_data[row][x >> 3] >> (x & 7)) & 1;
    symbol.text = reinterpret_cast<const char *>(zint.text);
    return symbol;
}

Encoded Encode(ZintSymbol symbol, const uint8_t *data, std::size_t length)
{
    const int result = ZBarcode_Encode(symbol.get(), data, static_cast<int>(length));
    if (result >= ZINT_ERROR)
        return {std::nullopt, symbol->errtxt};
    return {ModulesOf(*symbol), {}};
}

bool AllDigits(const std::string &data)
{
    return !data.empty() && data.find_first_not_of("0123456789") == std::string::npos;
}

// The zint symbology for `type` and `data`; 0 when the data's length or
// characters cannot make one. The *_CHK forms take data with its check digit.
int SymbologyOf(LinearType type, const std::string &data)
{
    const std::size_t n = data.size();
    switch (type) {
    case LinearType::UpcA:
        return AllDigits(data) && (n == 11 || n == 12) ? (n == 12 ? BARCODE_UPCA_CHK : BARCODE_UPCA)
                                                       : 0;
    case LinearType::UpcE:
        return AllDigits(data) && (n == 6 || n == 7 || n == 8)
                   ? (n == 8 ? BARCODE_UPCE_CHK : BARCODE_UPCE)
                   : 0;
    case LinearType::Ean13:
        return AllDigits(data) && (n == 12 || n == 13) ? (n == 13 ? BARCODE_EANX_CHK : BARCODE_EANX)
                                                       : 0;
    case LinearType::Ean8:
        return AllDigits(data) && (n == 7 || n == 8) ? (n == 8 ? BARCODE_EANX_CHK : BARCODE_EANX)
                                                     : 0;
    case LinearType::Code39:
        return BARCODE_CODE39;
    case LinearType::Itf:
        return AllDigits(data) && n % 2 == 0 ? BARCODE_C25INTER : 0;
    case LinearType::Codabar:
        return BARCODE_CODABAR;
    case LinearType::Code93:
        return BARCODE_CODE93;
    case LinearType::Code128:
        return BARCODE_CODE128;
    }
    return 0;
}

// CODE128 data without its code set selectors; zint chooses the sets itself.
std::string WithoutCodeSets(const std::string &data)
{
    std::string plain;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (data[i] == '{' && i + 1 < data.size()) {
            if (data[i + 1] == '{')
                plain += '{';
            ++i;
            continue;
        }
        plain += data[i];
    }
    return plain;
}

std::string PreparedData(LinearType type, const std::string &data)
{
    if (type == LinearType::Code128)
        return WithoutCodeSets(data);
    std::string prepared = data;
    if (type == LinearType::Code39 && prepared.size() >= 2 && prepared.front() == '*' &&
        prepared.back() == '*')
        prepared = prepared.substr(1, prepared.size() - 2);
    if (type == LinearType::Codabar)
        for (char &c : prepared)
            if (c >= 'a' && c <= 'd')
                c = static_cast<char>(c - 'a' + 'A');
    return prepared;
}

} // namespace

std::optional<LinearType> LinearTypeOf(uint8_t m)
{
    static constexpr LinearType kTypes[] = {
        LinearType::UpcA,    LinearType::UpcE,   LinearType::Ean13,
        LinearType::Ean8,    LinearType::Code39, LinearType::Itf,
        LinearType::Codabar, LinearType::Code93, LinearType::Code128,
    };
    if (m <= 6)
        return kTypes[m];
    if (m >= 65 && m <= 73)
        return kTypes[m - 65];
    return std::nullopt;
}

Encoded EncodeLinear(LinearType type, const std::string &data)
{
    const std::string prepared = PreparedData(type, data);
    const int symbology = SymbologyOf(type, prepared);
    if (symbology == 0 || prepared.empty())
        return {std::nullopt, "data not valid for this barcode type"};
    ZintSymbol symbol = NewSymbol(symbology);
    return Encode(std::move(symbol), reinterpret_cast<const uint8_t *>(prepared.data()),
                  prepared.size());
}

Encoded EncodeQr(const std::vector<uint8_t> &data, int level)
{
    if (data.empty())
        return {std::nullopt, "no data stored"};
    ZintSymbol symbol = NewSymbol(BARCODE_QRCODE);
    symbol->option_1 = level + 1;
    return Encode(std::move(symbol), data.data(), data.size());
}

Encoded EncodePdf417(const std::vector<uint8_t> &data, int columns, int rows, int level)
{
    if (data.empty())
        return {std::nullopt, "no data stored"};
    ZintSymbol symbol = NewSymbol(BARCODE_PDF417);
    symbol->option_1 = level;
    symbol->option_2 = columns;
    symbol->option_3 = rows;
    return Encode(std::move(symbol), data.data(), data.size());
}

} // namespace Receipt
