#include "usercmd/usercommandview.h"

#include <QMessageBox>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

namespace {
// The toolkit's generic answer to a call with an argument out of range; a
// button outlives its record only after a failed save emptied the list.
const char *const kInvalidArgument = "Encountered an improper argument.";
// A tool tip shows this many of a command's bytes, then "…".
constexpr qsizetype kTipBytes = 48;

// The whole name and the bytes, for a name cut to its cell.
QString CommandTip(const CUserCommandView::tagUSER_CMD_DATA &record)
{
    QString bytes = QString::fromLatin1(record.data.left(kTipBytes).toHex(' ').toUpper());
    if (record.data.size() > kTipBytes)
        bytes += u" …";
    return bytes.isEmpty() ? record.strName : record.strName + u'\n' + bytes;
}

// The name as it fits between the button's margins, cut at its end.
void FitName(QPushButton *button, const QString &name)
{
    const QStyle *style = button->style();
    const int margins = 2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                             style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button));
    const int room = std::max(0, button->width() - margins);
    button->setText(button->fontMetrics().elidedText(name, Qt::ElideRight, room));
}
} // namespace

CUserCommandView::CUserCommandView(QWidget *parent)
    : QAbstractScrollArea(parent), m_content(new QWidget(viewport()))
{
    setFrameShape(QFrame::NoFrame); // the group box around the strip is its frame
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setPageStep(kCellHeight);
    verticalScrollBar()->setSingleStep(kLineStep);
}

CUserCommandView::~CUserCommandView() = default;

void CUserCommandView::OnInitialUpdate()
{
    DestroyButtons();
    for (qsizetype k = 0; k < m_records.size(); ++k) {
        auto *button = new QPushButton(m_records[k].strName, m_content);
        button->setObjectName(QString::number(kFirstButtonId + k));
        button->setToolTip(CommandTip(m_records[k]));
        const int index = int(k);
        connect(button, &QPushButton::clicked, this, [this, index] { OnButtonClicked(index); });
        button->show();
        m_buttons.append(button);
    }
    m_bBuilt = true;
    LayOut(viewport()->width());
}

int CUserCommandView::ContentHeight() const
{
    return m_content->height();
}

void CUserCommandView::DestroyButtons()
{
    qDeleteAll(m_buttons);
    m_buttons.clear();
}

// The bytes are copied into the signal, so the receiver keeps valid bytes even
// if the list is replaced while it sends them.
void CUserCommandView::OnButtonClicked(int index)
{
    if (index >= m_records.size()) {
        QMessageBox::warning(this, QString(), QString::fromLatin1(kInvalidArgument));
        return;
    }
    const QByteArray bytes = m_records[index].data;
    emit sendData(bytes);
}

void CUserCommandView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    LayOut(viewport()->width());
}

void CUserCommandView::scrollContentsBy(int /*dx*/, int /*dy*/)
{
    m_content->move(0, -verticalScrollBar()->value());
}

// Fills rows of width / 83 cells. A strip narrower than one cell has no
// column count to wrap at, so its buttons stand in a single row.
void CUserCommandView::LayOut(int clientWidth)
{
    if (!m_bBuilt)
        return;
    const int columns = clientWidth / kCellWidth;
    int c = 0;
    int r = 0;
    for (qsizetype k = 0; k < m_buttons.size(); ++k) {
        QPushButton *button = m_buttons[k];
        button->setGeometry(kCellWidth * c, kCellHeight * r + kButtonTop, kCellWidth - kButtonGap,
                            kCellHeight - kButtonGap);
        if (k < m_records.size())
            FitName(button, m_records[k].strName);
        if (++c == columns) {
            ++r;
            c = 0;
        }
    }
    if (c != 0)
        ++r;
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(0);
    m_content->setGeometry(0, 0, clientWidth, kCellHeight * r);
    bar->setRange(0, std::max(0, kCellHeight * r - viewport()->height()));
}
