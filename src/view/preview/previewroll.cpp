#include "view/preview/previewroll.h"

#include <QHeaderView>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace {
constexpr int kMargin = 8; // pixels around the paper
constexpr QRgb kPaperColour = qRgb(255, 255, 255);
constexpr QRgb kDeskColour = qRgb(160, 160, 160);

QString HexBytes(const std::vector<uint8_t> &bytes)
{
    QString text;
    for (uint8_t byte : bytes)
        text += QStringLiteral("%1 ").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    return text.trimmed();
}
} // namespace

// The receipts drawn one under the other; only the rows in sight are drawn.
class CPreviewRoll::CPaper : public QWidget
{
public:
    explicit CPaper(CPreviewRoll &roll) : m_roll(roll) {}

    void Relayout()
    {
        int height = 0;
        int width = 0;
        for (int i = 0; i < m_roll.ReceiptCount(); ++i) {
            const QImage image = m_roll.ReceiptImage(i);
            height += image.height() + (i ? kCutGap : 0);
            width = std::max(width, image.width());
        }
        const double zoom = m_roll.m_zoom;
        setFixedSize(int(width * zoom) + 2 * kMargin, int(height * zoom) + 2 * kMargin);
        update();
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), QColor(kDeskColour));
        const double zoom = m_roll.m_zoom;
        int top = 0; // in dots
        for (int i = 0; i < m_roll.ReceiptCount(); ++i) {
            const QImage image = m_roll.ReceiptImage(i);
            const QRect place(kMargin, kMargin + int(top * zoom), int(image.width() * zoom),
                              int(image.height() * zoom));
            if (place.intersects(event->rect()))
                DrawVisible(painter, image, place, event->rect());
            if (i + 1 < m_roll.ReceiptCount())
                DrawCut(painter, place);
            top += image.height() + kCutGap;
        }
    }

private:
    void DrawVisible(QPainter &painter, const QImage &image, const QRect &place, const QRect &seen)
    {
        const double zoom = m_roll.m_zoom;
        const QRect shown = place.intersected(seen);
        const int first = std::max(0, int((shown.top() - place.top()) / zoom));
        const int last = std::min(image.height(), int((shown.bottom() - place.top()) / zoom) + 2);
        const QImage slice = image.copy(0, first, image.width(), last - first);
        painter.fillRect(place.intersected(seen), QColor(kPaperColour));
        painter.drawImage(QRectF(place.left(), place.top() + first * zoom, image.width() * zoom,
                                 (last - first) * zoom),
                          slice);
    }
    void DrawCut(QPainter &painter, const QRect &place)
    {
        const int y = place.bottom() + int(kCutGap * m_roll.m_zoom / 2);
        painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
        painter.drawLine(0, y, width(), y);
    }

    CPreviewRoll &m_roll;
};

CPreviewRoll::CPreviewRoll(QWidget *parent) : QWidget(parent)
{
    auto *splitter = new QSplitter(this);
    m_paper = new CPaper(*this);
    m_scroll = new QScrollArea(splitter);
    m_scroll->setWidget(m_paper);
    m_scroll->setAlignment(Qt::AlignHCenter);
    m_scroll->setObjectName(QStringLiteral("previewPaper"));
    m_report = new QTableWidget(0, 3, splitter);
    m_report->setObjectName(QStringLiteral("previewReport"));
    m_report->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_report->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_report->setSelectionMode(QAbstractItemView::SingleSelection);
    m_report->verticalHeader()->hide();
    m_report->horizontalHeader()->setStretchLastSection(true);
    // The paper whole at 100 %, the report in the rest.
    splitter->setSizes({Receipt::CReceiptPrinter::kPaper80 + 4 * kMargin, 300});
    splitter->setStretchFactor(1, 1);
    m_report->setColumnWidth(0, 60);
    m_report->setColumnWidth(1, 120);
    m_summary = new QLabel(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter, 1);
    layout->addWidget(m_summary);
    connect(m_report, &QTableWidget::cellClicked, this, [this](int row, int) {
        const QTableWidgetItem *item = m_report->item(row, 0);
        if (item && item->data(Qt::UserRole + 1).toInt() > 0)
            emit rowChosen(item->data(Qt::UserRole).toULongLong(),
                           item->data(Qt::UserRole + 1).toInt());
    });
    Retranslate();
    Refresh();
}

void CPreviewRoll::Clear()
{
    m_receipts.clear();
    m_open = {};
    m_dropped = 0;
    m_unlisted = m_openUnlisted = 0;
    m_imageBytes = 0;
    m_openRowStart = 0;
    m_report->setRowCount(0);
    Refresh();
}

void CPreviewRoll::Apply(const PreviewBatch &batch)
{
    m_report->setRowCount(m_openRowStart);
    for (const PreviewReceipt &receipt : batch.finished) {
        m_unlisted += AddRows(receipt.rows, int(m_receipts.size()));
        if (receipt.image.isNull())
            continue;
        m_receipts.push_back(receipt);
        m_imageBytes += receipt.image.sizeInBytes();
    }
    if (batch.openChanged)
        m_open = batch.open;
    m_openRowStart = m_report->rowCount();
    m_openUnlisted = AddRows(m_open.rows, int(m_receipts.size()));
    DropOldReceipts();
    Refresh();
    if (!batch.finished.empty() || batch.openChanged)
        m_scroll->verticalScrollBar()->setValue(m_scroll->verticalScrollBar()->maximum());
}

int CPreviewRoll::AddRows(const std::vector<PreviewRow> &rows, int receipt)
{
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const PreviewRow &row = rows[i];
        const int at = m_report->rowCount();
        if (at >= kMaxRows)
            return int(rows.size() - i);
        m_report->insertRow(at);
        auto *offset = new QTableWidgetItem(QString::number(row.offset));
        offset->setData(Qt::UserRole, quint64(row.offset));
        offset->setData(Qt::UserRole + 1, int(row.bytes.size()));
        offset->setToolTip(tr("第 %1 张小票").arg(receipt + 1));
        m_report->setItem(at, 0, offset);
        m_report->setItem(at, 1, new QTableWidgetItem(HexBytes(row.bytes)));
        m_report->setItem(at, 2, new QTableWidgetItem(Reason(row)));
    }
    return 0;
}

// Older receipts go first; the last one always stays.
void CPreviewRoll::DropOldReceipts()
{
    while (m_imageBytes > kMaxImageBytes && m_receipts.size() > 1) {
        m_imageBytes -= m_receipts.front().image.sizeInBytes();
        m_receipts.pop_front();
        ++m_dropped;
    }
}

QString CPreviewRoll::Reason(const PreviewRow &row) const
{
    if (!row.issue)
        return tr("预览跟不上，跳过 %1 字节").arg(row.skipped);
    switch (*row.issue) {
    case Receipt::Issue::Unknown:
        return tr("未知命令");
    case Receipt::Issue::BadParameter:
        return tr("参数错误");
    case Receipt::Issue::NvImageNotHeld:
        return tr("NV 图像不在本机");
    case Receipt::Issue::DataCutShort:
        return tr("数据不完整");
    case Receipt::Issue::BeyondCap:
        return tr("超出上限，其余未打印");
    case Receipt::Issue::CashDrawerPulse:
        return tr("钱箱脉冲");
    }
    return {};
}

void CPreviewRoll::Retranslate()
{
    m_report->setHorizontalHeaderLabels({tr("偏移"), tr("字节"), tr("原因")});
    Refresh();
}

void CPreviewRoll::Refresh()
{
    QString summary = tr("%n 张小票", nullptr, ReceiptCount());
    if (m_dropped)
        summary += tr("（较早的 %n 张已不保留）", nullptr, m_dropped);
    if (const int unlisted = m_unlisted + m_openUnlisted)
        summary += tr("（另有 %n 条未列出）", nullptr, unlisted);
    m_summary->setText(summary);
    m_paper->Relayout();
}

void CPreviewRoll::SetZoom(double zoom)
{
    m_zoom = zoom;
    m_paper->Relayout();
}

const PreviewReceipt *CPreviewRoll::At(int index) const
{
    if (index >= 0 && std::size_t(index) < m_receipts.size())
        return &m_receipts[std::size_t(index)];
    return index == int(m_receipts.size()) && !m_open.image.isNull() ? &m_open : nullptr;
}

int CPreviewRoll::ReceiptCount() const
{
    return int(m_receipts.size()) + (m_open.image.isNull() ? 0 : 1);
}

QImage CPreviewRoll::ReceiptImage(int index) const
{
    const PreviewReceipt *receipt = At(index);
    return receipt ? receipt->image : QImage();
}

int CPreviewRoll::ReportRowCount() const
{
    return m_report->rowCount();
}

QImage CPreviewRoll::RollImage() const
{
    int width = 0;
    int height = 0;
    for (int i = 0; i < ReceiptCount(); ++i) {
        width = std::max(width, ReceiptImage(i).width());
        height += ReceiptImage(i).height() + (i ? kCutGap : 0);
    }
    if (width == 0)
        return {};
    QImage roll(width, height, QImage::Format_Mono);
    roll.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    roll.fill(0);
    // Receipts are 1-bit images with the roll's colours: rows are copied as bytes.
    int top = 0;
    for (int i = 0; i < ReceiptCount(); ++i) {
        const QImage image =
            ReceiptImage(i).convertToFormat(QImage::Format_Mono, roll.colorTable());
        for (int y = 0; y < image.height(); ++y)
            std::memcpy(roll.scanLine(top + y), image.constScanLine(y), (image.width() + 7) / 8);
        top += image.height() + kCutGap;
    }
    return roll;
}
