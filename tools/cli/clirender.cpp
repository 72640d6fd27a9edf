#include "clirender.h"

#include "receipt/receiptprinter.h"

#include <QGuiApplication>
#include <cstdio>
#include <filesystem>

namespace {

constexpr std::size_t kFileChunk = 1 << 16;

// A file, a pipe, or standard input for "-", in pieces as it comes.
bool FeedFile(Receipt::CReceiptPrinter &printer, const CliSendStep &step)
{
    std::vector<uint8_t> chunk(kFileChunk);
    for (int32_t pass = 0; pass < step.passes; ++pass) {
        const bool standardInput = step.text == "-";
        std::FILE *file = standardInput ? stdin : std::fopen(step.text.c_str(), "rb");
        if (!file)
            return false;
        for (std::size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), file)) > 0;)
            printer.Feed(chunk.data(), n);
        const bool failed = std::ferror(file) != 0;
        if (!standardInput)
            std::fclose(file);
        if (failed)
            return false;
    }
    return true;
}

void PrintReport(const std::string &name, const Receipt::Receipt &receipt)
{
    for (const Receipt::ReportEntry &entry : receipt.report)
        std::fprintf(stderr, "tarvik-cli: %s: %s\n", name.c_str(),
                     Receipt::FormatEntry(entry).c_str());
}

QtMessageHandler g_qtMessages = nullptr;

// Standard error carries the report, so Qt's note that a display session's
// runtime folder is missing (usual under CI) is left out of it.
void WithoutRuntimeDirNote(QtMsgType type, const QMessageLogContext &context,
                           const QString &message)
{
    if (!message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        g_qtMessages(type, context, message);
}

} // namespace

std::unique_ptr<QCoreApplication> CreateCliApplication(int &argc, char **argv, bool render)
{
    if (!render)
        return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    g_qtMessages = qInstallMessageHandler(WithoutRuntimeDirNote);
    return std::make_unique<QGuiApplication>(argc, argv);
}

std::string RenderedName(const std::string &out, std::size_t index, std::size_t count)
{
    if (count == 1)
        return out;
    const std::filesystem::path path(out);
    const std::string numbered =
        path.stem().string() + "-" + std::to_string(index + 1) + path.extension().string();
    return (path.parent_path() / numbered).string();
}

int RenderPlan(const CliPlan &plan)
{
    Receipt::CReceiptPrinter printer(plan.paperWidth);
    for (const CliSendStep &step : plan.sends) {
        if (step.kind != CliSendKind::File) {
            printer.Feed(step.bytes.data(), step.bytes.size());
        } else if (!FeedFile(printer, step)) {
            std::fprintf(stderr, "tarvik-cli: %s: cannot be read\n", step.text.c_str());
            return kExitPortFailed;
        }
    }
    printer.Finish();
    const std::vector<Receipt::Receipt> receipts = printer.TakeReceipts();
    if (receipts.empty())
        std::fprintf(stderr, "tarvik-cli: nothing printed, no image written\n");
    bool unknown = false;
    for (std::size_t i = 0; i < receipts.size(); ++i) {
        const std::string name = RenderedName(plan.renderPath, i, receipts.size());
        if (!receipts[i].image.save(QString::fromStdString(name), "PNG")) {
            std::fprintf(stderr, "tarvik-cli: %s: cannot be written\n", name.c_str());
            return kExitPortFailed;
        }
        std::printf("%s\n", name.c_str());
        PrintReport(name, receipts[i]);
        unknown = unknown || Receipt::HasUnknown(receipts[i].report);
    }
    return unknown ? kExitDiffers : kExitDone;
}
