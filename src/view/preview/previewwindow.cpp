#include "view/preview/previewwindow.h"

#include "receipt/receiptprinter.h"
#include "view/preview/previewroll.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
constexpr double kZooms[] = {0.5, 1.0, 1.5, 2.0, 3.0};
constexpr int kDefaultZoom = 1;
constexpr QSize kStartSize(760, 640);
} // namespace

CPreviewWindow::CPreviewWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("previewWindow"));
    Build();
    Retranslate();
    resize(kStartSize);
}

void CPreviewWindow::Build()
{
    m_tabs = new QTabWidget(this);
    m_sent = new CPreviewRoll(m_tabs);
    m_sent->setObjectName(QStringLiteral("sentRoll"));
    m_sendBox = new CPreviewRoll(m_tabs);
    m_sendBox->setObjectName(QStringLiteral("sendBoxRoll"));
    m_tabs->addTab(m_sent, QString());
    m_tabs->addTab(m_sendBox, QString());
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("previewNote"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(BuildToolRow());
    layout->addWidget(m_tabs, 1);
    layout->addWidget(m_note);
}

QWidget *CPreviewWindow::BuildToolRow()
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_paperLabel = new QLabel(row);
    m_paper = new QComboBox(row);
    m_paper->setObjectName(QStringLiteral("previewPaper"));
    m_paper->addItem(QStringLiteral("80 mm"), Receipt::CReceiptPrinter::kPaper80);
    m_paper->addItem(QStringLiteral("58 mm"), Receipt::CReceiptPrinter::kPaper58);
    m_zoomLabel = new QLabel(row);
    m_zoom = new QComboBox(row);
    m_zoom->setObjectName(QStringLiteral("previewZoom"));
    for (double zoom : kZooms)
        m_zoom->addItem(QStringLiteral("%1%").arg(zoom * 100), zoom);
    m_zoom->setCurrentIndex(kDefaultZoom);
    const auto button = [row](const char *name) {
        auto *b = new QPushButton(row);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    m_clear = button("previewClear");
    m_previewSendBox = button("previewSendBox");
    m_save = button("previewSave");
    m_copy = button("previewCopy");
    for (QWidget *w : {static_cast<QWidget *>(m_paperLabel), static_cast<QWidget *>(m_paper),
                       static_cast<QWidget *>(m_zoomLabel), static_cast<QWidget *>(m_zoom),
                       static_cast<QWidget *>(m_clear), static_cast<QWidget *>(m_previewSendBox),
                       static_cast<QWidget *>(m_save), static_cast<QWidget *>(m_copy)})
        layout->addWidget(w);
    layout->addStretch(1);
    connect(m_clear, &QPushButton::clicked, this, &CPreviewWindow::clearRequested);
    connect(m_previewSendBox, &QPushButton::clicked, this,
            &CPreviewWindow::sendBoxPreviewRequested);
    connect(m_save, &QPushButton::clicked, this, &CPreviewWindow::OnSave);
    connect(m_copy, &QPushButton::clicked, this, &CPreviewWindow::OnCopy);
    connect(m_zoom, &QComboBox::currentIndexChanged, this, &CPreviewWindow::ApplyZoom);
    connect(m_paper, &QComboBox::currentIndexChanged, this,
            [this] { emit paperWidthChanged(PaperWidth()); });
    return row;
}

void CPreviewWindow::Retranslate()
{
    setWindowTitle(tr("小票预览"));
    m_tabs->setTabText(0, tr("已发送"));
    m_tabs->setTabText(1, tr("发送区"));
    m_paperLabel->setText(tr("纸宽"));
    m_zoomLabel->setText(tr("缩放"));
    m_clear->setText(tr("清除"));
    m_previewSendBox->setText(tr("预览发送区"));
    m_previewSendBox->setToolTip(
        tr("不发送，只显示发送区（发送区为空时为所选文件）打印出来的样子"));
    m_save->setText(tr("保存为PNG"));
    m_copy->setText(tr("复制图像"));
    m_sent->Retranslate();
    m_sendBox->Retranslate();
}

void CPreviewWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        Retranslate();
    QWidget::changeEvent(event);
}

void CPreviewWindow::ShowSendBoxRoll()
{
    m_tabs->setCurrentWidget(m_sendBox);
}

int CPreviewWindow::PaperWidth() const
{
    return m_paper->currentData().toInt();
}

void CPreviewWindow::SetNote(const QString &text)
{
    m_note->setText(text);
}

QString CPreviewWindow::Note() const
{
    return m_note->text();
}

CPreviewRoll *CPreviewWindow::ShownRoll() const
{
    return m_tabs->currentWidget() == m_sendBox ? m_sendBox : m_sent;
}

void CPreviewWindow::ApplyZoom()
{
    const double zoom = m_zoom->currentData().toDouble();
    m_sent->SetZoom(zoom);
    m_sendBox->SetZoom(zoom);
}

bool CPreviewWindow::SaveShownRoll(const QString &path)
{
    const QImage roll = ShownRoll()->RollImage();
    return !roll.isNull() && roll.save(path, "PNG");
}

void CPreviewWindow::OnSave()
{
    if (ShownRoll()->ReceiptCount() == 0) {
        SetNote(tr("没有可保存的小票"));
        return;
    }
    const QString suggested = QStringLiteral("receipt.png");
    const QString path = m_saveChooser ? m_saveChooser(suggested)
                                       : QFileDialog::getSaveFileName(this, QString(), suggested,
                                                                      tr("PNG 图像 (*.png)"));
    if (path.isEmpty())
        return;
    if (SaveShownRoll(path))
        SetNote(tr("已保存 %1").arg(path));
    else
        QMessageBox::warning(this, QString(), tr("无法保存 %1").arg(path));
}

void CPreviewWindow::OnCopy()
{
    const QImage roll = ShownRoll()->RollImage();
    if (roll.isNull()) {
        SetNote(tr("没有可复制的小票"));
        return;
    }
    QApplication::clipboard()->setImage(roll);
    SetNote(tr("图像已复制"));
}
