#include "shell/extstatuscontrolbar.h"

#include "stringtable.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <algorithm>

namespace {

// Width of a 3-D edge: the gap kept between a pane's border and its control.
constexpr int kEdge = 2;

int QuarterScreenWidth()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() / 4 : 200;
}

} // namespace

CExtStatusControlBar::CExtStatusControlBar(QWidget *parent) : QStatusBar(parent)
{
    connect(this, &QStatusBar::messageChanged, this, &CExtStatusControlBar::OnMessageChanged);
}

// Cells and the controls laid over them are children of the bar; Qt deletes them.
CExtStatusControlBar::~CExtStatusControlBar() = default;

void CExtStatusControlBar::SetIndicators(const std::vector<uint32_t> &paneIds)
{
    while (!m_panes.empty()) {
        DestroyPaneControls(m_panes.back().nID);
        DeleteCell(m_panes.back().pCell);
        m_panes.pop_back();
    }
    for (uint32_t id : paneIds)
        InsertPane(id, GetCount());
}

bool CExtStatusControlBar::InsertPane(uint32_t paneId, int index)
{
    if (index < 0 || index > GetCount() || CommandToIndex(paneId) >= 0)
        return false;
    _STATUSBAR_PANE_ pane = MakePane(paneId, index);
    InstallCell(pane, index);
    m_panes.insert(m_panes.begin() + index, pane);
    LayoutPaneControls();
    return true;
}

// A new pane gets what the platform gives a fresh indicator: the message pane at
// the left stretches without borders, any other pane is as wide as its string.
CExtStatusControlBar::_STATUSBAR_PANE_ CExtStatusControlBar::MakePane(uint32_t paneId,
                                                                      int index) const
{
    _STATUSBAR_PANE_ pane;
    pane.nID = paneId;
    if (paneId == 0 && index == 0) {
        pane.nStyle = SBPS_STRETCH | SBPS_NOBORDERS;
        pane.cxText = QuarterScreenWidth();
    } else {
        pane.strText = LoadString(paneId);
        pane.cxText = fontMetrics().horizontalAdvance(pane.strText);
    }
    return pane;
}

void CExtStatusControlBar::InstallCell(_STATUSBAR_PANE_ &pane, int index)
{
    pane.pCell = new QLabel(this);
    auto *layout = new QHBoxLayout(pane.pCell);
    layout->setSpacing(0);
    ApplyPaneGeometry(pane);
    RefreshCellText(pane);
    insertPermanentWidget(index, pane.pCell, (pane.nStyle & SBPS_STRETCH) ? 1 : 0);
}

void CExtStatusControlBar::ApplyPaneGeometry(const _STATUSBAR_PANE_ &pane)
{
    QLabel *cell = pane.pCell;
    const bool borders = !(pane.nStyle & SBPS_NOBORDERS);
    cell->setFrameStyle(borders ? (QFrame::Panel | QFrame::Sunken) : QFrame::NoFrame);
    cell->setLineWidth(1);
    if (borders)
        cell->layout()->setContentsMargins(kEdge - 1, kEdge - 1, kEdge - 1, kEdge - 1);
    else
        cell->layout()->setContentsMargins(kEdge, 1, kEdge, 1);
    // The platform's "Top" box fits the width of its pane's string; a Qt check box
    // with its indicator may need more, and a clipped control helps nobody.
    const int width = std::max(pane.cxText + 3 * kEdge, WidestControl(pane.nID));
    cell->setMinimumHeight(TallestControl(pane.nID) + 2 * kEdge);
    if (pane.nStyle & SBPS_STRETCH) {
        cell->setMinimumWidth(width);
        cell->setMaximumWidth(QWIDGETSIZE_MAX);
    } else {
        cell->setFixedWidth(width);
    }
}

// A control covers its pane, so the pane's own text shows only when it has none.
void CExtStatusControlBar::RefreshCellText(const _STATUSBAR_PANE_ &pane)
{
    const bool hideText = HasControls(pane.nID) || pane.nID == ID_INDICATOR_NUM;
    pane.pCell->setText(hideText ? QString() : pane.strText);
}

bool CExtStatusControlBar::DeletePane(uint32_t paneId)
{
    const int index = CommandToIndex(paneId);
    if (index < 0 || GetCount() <= 1)
        return false;
    DestroyPaneControls(paneId);
    QLabel *cell = m_panes[static_cast<size_t>(index)].pCell;
    m_panes.erase(m_panes.begin() + index);
    DeleteCell(cell);
    LayoutPaneControls();
    return true;
}

// QStatusBar drops the item of a child that goes away. Calling removeWidget first
// as well makes Qt 6.4 drop a second, unrelated item (the pane to the right).
void CExtStatusControlBar::DeleteCell(QLabel *cell)
{
    cell->hide();
    delete cell;
}

void CExtStatusControlBar::DestroyPaneControls(uint32_t paneId)
{
    for (auto it = m_controls.begin(); it != m_controls.end();) {
        if (it->nID != paneId) {
            ++it;
            continue;
        }
        if (QWidget *control = it->hWnd) {
            control->hide();
            if (it->bAutoDestroy)
                delete control;
            else
                control->setParent(nullptr);
        }
        it = m_controls.erase(it);
    }
}

bool CExtStatusControlBar::AttachPaneControl(QWidget *control, uint32_t paneId)
{
    const int index = CommandToIndex(paneId);
    if (index < 0 || !control)
        return false;
    const _STATUSBAR_PANE_ &pane = m_panes[static_cast<size_t>(index)];
    m_controls.push_back({control, paneId, true});
    pane.pCell->layout()->addWidget(control);
    control->setEnabled(!(pane.nStyle & SBPS_DISABLED));
    ApplyPaneGeometry(pane);
    RefreshCellText(pane);
    LayoutPaneControls();
    return true;
}

void CExtStatusControlBar::ResizePane(int width, int index)
{
    if (index < 0 || index >= GetCount())
        return;
    _STATUSBAR_PANE_ &pane = m_panes[static_cast<size_t>(index)];
    pane.cxText = width;
    ApplyPaneGeometry(pane);
    EnablePaneControls(index, !(pane.nStyle & SBPS_DISABLED));
    RefreshCellText(pane);
}

void CExtStatusControlBar::LayoutPaneControls()
{
    m_controls.erase(std::remove_if(m_controls.begin(), m_controls.end(),
                                    [](const _STATUSBAR_PANE_CTRL_ &c) { return c.hWnd.isNull(); }),
                     m_controls.end());
    for (const _STATUSBAR_PANE_CTRL_ &record : m_controls) {
        record.hWnd->show();
        record.hWnd->update();
    }
}

void CExtStatusControlBar::EnablePaneControls(int index, bool enable)
{
    const uint32_t id = GetItemID(index);
    if (index < 0 || index >= GetCount())
        return;
    for (const _STATUSBAR_PANE_CTRL_ &record : m_controls) {
        if (record.nID == id && record.hWnd)
            record.hWnd->setEnabled(enable);
    }
}

int CExtStatusControlBar::WidestControl(uint32_t paneId) const
{
    int widest = 0;
    for (const _STATUSBAR_PANE_CTRL_ &record : m_controls) {
        if (record.nID == paneId && record.hWnd)
            widest = std::max(widest, record.hWnd->sizeHint().width() + 2 * kEdge);
    }
    return widest;
}

int CExtStatusControlBar::TallestControl(uint32_t paneId) const
{
    int tallest = 0;
    for (const _STATUSBAR_PANE_CTRL_ &record : m_controls) {
        if (record.nID == paneId && record.hWnd)
            tallest = std::max(tallest, record.hWnd->minimumSizeHint().height());
    }
    return tallest;
}

bool CExtStatusControlBar::HasControls(uint32_t paneId) const
{
    return std::any_of(m_controls.begin(), m_controls.end(),
                       [paneId](const auto &c) { return c.nID == paneId && !c.hWnd.isNull(); });
}

int CExtStatusControlBar::CommandToIndex(uint32_t paneId) const
{
    for (size_t i = 0; i < m_panes.size(); ++i) {
        if (m_panes[i].nID == paneId)
            return static_cast<int>(i);
    }
    return -1;
}

uint32_t CExtStatusControlBar::GetItemID(int index) const
{
    return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].nID : 0;
}

uint32_t CExtStatusControlBar::GetPaneStyle(int index) const
{
    return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].nStyle : 0;
}

int CExtStatusControlBar::GetPaneWidth(int index) const
{
    return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].cxText : 0;
}

QString CExtStatusControlBar::GetPaneText(int index) const
{
    return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].strText
                                            : QString();
}

bool CExtStatusControlBar::SetPaneText(int index, const QString &text)
{
    if (index < 0 || index >= GetCount())
        return false;
    _STATUSBAR_PANE_ &pane = m_panes[static_cast<size_t>(index)];
    pane.strText = text;
    RefreshCellText(pane);
    if (pane.nID == 0)
        emit windowTextChanged();
    return true;
}

QRect CExtStatusControlBar::GetItemRect(int index) const
{
    return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].pCell->geometry()
                                            : QRect();
}

int CExtStatusControlBar::SetWindowText(const QString &text)
{
    m_bError = false;
    const int index = CommandToIndex(0);
    if (index < 0) {
        emit windowTextChanged();
        return -1;
    }
    return SetPaneText(index, text) ? 0 : -1;
}

QString CExtStatusControlBar::WindowText() const
{
    return GetPaneText(CommandToIndex(0));
}

void CExtStatusControlBar::SetErrorShown(bool error)
{
    if (m_bError == error)
        return;
    m_bError = error;
    emit windowTextChanged();
}

// Qt shows status tips (menu prompts) as a temporary message; the panes cover the
// area where QStatusBar would paint it, so the tip goes into the message pane.
void CExtStatusControlBar::OnMessageChanged(const QString &message)
{
    if (!message.isEmpty()) {
        m_bShowingTip = true;
        SetWindowText(message);
    } else if (m_bShowingTip) {
        m_bShowingTip = false;
        SetWindowText(LoadString(AFX_IDS_IDLEMESSAGE));
    }
}
