#include "usercmd/usercommandview.h"

#include <QMessageBox>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>

namespace {
// The toolkit's generic answer to a call with an argument out of range; a
// button outlives its record only after a failed save emptied the list.
const char *const kInvalidArgument = "Encountered an improper argument.";
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
    for (QPushButton *button : std::as_const(m_buttons)) {
        button->setGeometry(kCellWidth * c, kCellHeight * r + kButtonTop, kCellWidth - kButtonGap,
                            kCellHeight - kButtonGap);
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
