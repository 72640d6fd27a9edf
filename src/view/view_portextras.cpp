// The parts of the port column below the file group that the view owns:
// the serial control lines, the reconnect option and the capture log.
#include "language.h"
#include "view/controllines.h"
#include "view/reconnect.h"
#include "view/tarvikview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

#include <algorithm>

namespace {
constexpr int kGap = 4; // between the rows, and between the controls of a row

// Width and height a control asks for at the current font and style.
QSize Wanted(const QWidget *control)
{
    return control->sizeHint().expandedTo(control->minimumSizeHint());
}

// Places the controls of one row from `left`; returns the row's height.
int PlaceRow(std::initializer_list<QWidget *> controls, int left, int top)
{
    int height = 0;
    for (const QWidget *control : controls)
        height = std::max(height, Wanted(control).height());
    for (QWidget *control : controls) {
        control->setGeometry(left, top, Wanted(control).width(), height);
        left += Wanted(control).width() + kGap;
    }
    return height;
}
} // namespace

void CTarvikView::CreatePortExtras()
{
    m_pLines = new CControlLinesBox(this);
    const auto showForKind = [this](int kind) {
        m_pLines->setVisible(kind == int(PortKind::Serial));
        PlacePortExtras();
    };
    showForKind(m_form.portKind->currentIndex());
    connect(m_form.portKind, &QComboBox::currentIndexChanged, this, showForKind);
    CreateReconnect();
    CreateCaptureLog();
    Language::TranslateTree(this); // the captions made here, in the language chosen
    PlacePortExtras();
}

// Below the chosen file's name, sized for the current font: the control lines
// (two rows, serial kind only), then the reconnect and log options, then the
// log's form and whether sent bytes are logged; the options move up while the
// lines are hidden. The view's least height grows to hold all of them.
void CTarvikView::PlacePortExtras()
{
    if (!m_pLines || !m_pLogOption)
        return; // not all made yet
    const int width = std::max(m_form.panelRect.width() - 2, Wanted(m_pLines).width());
    const int linesTop = m_form.filePath->geometry().bottom() + 1 + kGap;
    m_pLines->setGeometry(kPanelLeft, linesTop, width, Wanted(m_pLines).height());
    const int linesRoom = m_pLines->height() + kGap;
    int top = linesTop + (m_pLines->isHidden() ? 0 : linesRoom);
    auto *reconnect = findChild<QCheckBox *>(QStringLiteral("autoReconnect"));
    top += PlaceRow({reconnect, m_pLogOption}, kPanelLeft + 1, top) + kGap;
    top += PlaceRow({m_pLogForm, m_pLogSent}, kPanelLeft + 1, top);
    const int bottomWithLines = top + (m_pLines->isHidden() ? linesRoom : 0);
    m_form.minimumSize.setHeight(std::max(m_form.minimumSize.height(), bottomWithLines + kGap));
    setMinimumSize(m_form.minimumSize);
}

void CTarvikView::PortExtrasOpened()
{
    m_pLines->Follow(m_pPort.get());
    m_pReconnect->NoteTransferEnded(false); // none has run on this port
    RememberReopenTarget();
    ReconnectSucceeded();
    CaptureLogOpened();
}

void CTarvikView::PortExtrasClosing()
{
    m_pLines->Forget();
    CaptureLogClosing();
}
