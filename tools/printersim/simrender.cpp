#include "simrender.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>

namespace {

// The number after the highest receipt-NNNN.png in `dir`.
int NextNumber(const std::filesystem::path &dir)
{
    static const std::regex name(R"(receipt-(\d{4,})\.png)");
    int highest = 0;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(dir, error)) {
        std::smatch match;
        const std::string file = entry.path().filename().string();
        if (std::regex_match(file, match, name))
            highest = std::max(highest, std::stoi(match[1].str()));
    }
    return highest + 1;
}

} // namespace

CSimRenderer::CSimRenderer(std::string dir, int paperWidth)
    : m_dir(std::move(dir)), m_paperWidth(paperWidth)
{
}

CSimRenderer::~CSimRenderer() = default;

bool CSimRenderer::Prepare(std::string &error)
{
    std::error_code code;
    std::filesystem::create_directories(m_dir, code);
    if (!std::filesystem::is_directory(m_dir)) {
        error = m_dir + ": " + (code ? code.message() : "not a directory");
        return false;
    }
    m_next = NextNumber(m_dir);
    return true;
}

void CSimRenderer::Begin()
{
    m_printer = std::make_unique<Receipt::CReceiptPrinter>(m_paperWidth);
}

void CSimRenderer::Feed(const uint8_t *data, std::size_t length)
{
    m_printer->Feed(data, length);
    WriteReceipts();
}

void CSimRenderer::End()
{
    m_printer->Finish();
    WriteReceipts();
    m_printer.reset();
}

void CSimRenderer::WriteReceipts()
{
    for (const Receipt::Receipt &receipt : m_printer->TakeReceipts())
        Write(receipt);
}

void CSimRenderer::Write(const Receipt::Receipt &receipt)
{
    char stem[32];
    std::snprintf(stem, sizeof stem, "receipt-%04d", m_next++);
    const std::string base = (std::filesystem::path(m_dir) / stem).string();
    const bool saved = receipt.image.save(QString::fromStdString(base + ".png"), "PNG");
    std::printf("%s.png %dx%d%s", base.c_str(), receipt.image.width(), receipt.image.height(),
                saved ? "" : " (not written)");
    if (!receipt.report.empty()) {
        std::ofstream report(base + ".txt");
        report << Receipt::FormatReport(receipt.report) << std::flush;
        std::printf(", %zu in %s.txt%s", receipt.report.size(), base.c_str(),
                    report ? "" : " (not written)");
    }
    std::printf("\n");
    std::fflush(stdout);
}
