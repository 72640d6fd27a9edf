// The simulator's paper: the receipts each connection prints, written as
// DIR/receipt-NNNN.png with the report beside it as receipt-NNNN.txt when it
// is not empty, and one line per receipt on standard output. Numbers go on
// from the highest receipt already in DIR.
#pragma once

#include "receipt/receiptprinter.h"

#include <memory>
#include <string>

class CSimRenderer
{
public:
    CSimRenderer(std::string dir, int paperWidth);
    ~CSimRenderer();

    // Creates DIR if needed; false (with the reason) when it cannot be written.
    bool Prepare(std::string &error);
    // A connection opened: a printer in its initial state takes its bytes.
    void Begin();
    void Feed(const uint8_t *data, std::size_t length);
    // The connection closed: what is left on the paper is a receipt too.
    void End();

private:
    void WriteReceipts();
    void Write(const Receipt::Receipt &receipt);

    std::string m_dir;
    int m_paperWidth;
    int m_next = 1;
    std::unique_ptr<Receipt::CReceiptPrinter> m_printer;
};
