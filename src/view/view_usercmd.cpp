// The user command strip: loading the commands, creating the strip inside
// group 1073 and passing the mouse wheel to it.
#include "tarvikview.h"
#include "usercmdstore.h"
#include "usercommandview.h"
#include "viewids.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QScrollBar>
#include <QWheelEvent>

namespace {
// The strip sits inside the group box's frame, below its caption.
constexpr QMargins kStripInset{5, 12, 2, 2};
} // namespace

void CTarvikView::LoadUserCommands()
{
    LoadUserCommandRecords(IniPath(), m_pCmdView->Records(), UserCmdPrompts::MessageBoxes(this));
}

// The records are loaded before the strip is shown, so a question about a
// faulty entry comes up over a window without half-built buttons.
void CTarvikView::CreateCommandStrip()
{
    m_pCmdView = new CUserCommandView(this);
    m_pCmdView->setObjectName(ViewId::Name(ViewId::kCmdStrip));
    connect(m_pCmdView, &CUserCommandView::sendData, this, &CTarvikView::OnSendData);
    LoadUserCommands();
    m_pCmdView->setGeometry(m_form.cmdGroup->geometry() - kStripInset);
    m_pCmdView->show();
    m_pCmdView->OnInitialUpdate();
}

// The wheel anywhere on the view scrolls the command strip while the strip
// can move in the wheel's direction; the edit boxes hand it here when they
// have nothing to scroll themselves.
void CTarvikView::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    const QScrollBar *bar = m_pCmdView ? m_pCmdView->verticalScrollBar() : nullptr;
    const bool stripMoves = bar && ((delta > 0 && bar->value() > bar->minimum()) ||
                                    (delta < 0 && bar->value() < bar->maximum()));
    if (!stripMoves) {
        QWidget::wheelEvent(event);
        return;
    }
    QWidget *target = m_pCmdView->viewport();
    QWheelEvent forwarded(target->mapFrom(this, event->position()), event->globalPosition(),
                          event->pixelDelta(), event->angleDelta(), event->buttons(),
                          event->modifiers(), event->phase(), event->inverted(), event->source());
    QCoreApplication::sendEvent(target, &forwarded);
    event->accept();
}
