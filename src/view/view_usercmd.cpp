// The user command strip: loading the commands, creating the strip inside
// group 1073, passing the mouse wheel to it and editing the list.
#include "config/configpath.h"
#include "shell/mainframe.h"
#include "usercmd/usercmdcfgdlg.h"
#include "usercmd/usercmdsave.h"
#include "usercmd/usercmdstore.h"
#include "usercmd/usercmdvalue.h"
#include "usercmd/usercommandview.h"
#include "view/tarvikview.h"
#include "view/viewids.h"

#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QScrollBar>
#include <QWheelEvent>

namespace {
// The strip sits inside the group box's frame, below its caption.
constexpr QMargins kStripInset{5, 12, 2, 2};

using CommandRecords = QList<CUserCommandView::tagUSER_CMD_DATA>;
using CommandRows = QList<CUserCmdCfgDlg::tagUSER_CMD_STR>;

CommandRows RowsOf(const CommandRecords &records)
{
    CommandRows rows;
    for (const auto &record : records) {
        const auto *bytes = reinterpret_cast<const uint8_t *>(record.data.constData());
        rows.append(
            {record.strName, UserCmdValueFromBytes({bytes, std::size_t(record.data.size())})});
    }
    return rows;
}

// The edit dialog only accepts values that convert, so an error here cannot
// come from the dialog; such a row gets a button without bytes.
CommandRecords RecordsOf(const CommandRows &rows)
{
    CommandRecords records;
    for (const auto &row : rows) {
        ByteString bytes;
        const bool converted = UserCmdBytesFromValue(QStringView(row.strValue), bytes) > 0;
        const QByteArray data = converted ? QByteArray(reinterpret_cast<const char *>(bytes.data()),
                                                       qsizetype(bytes.size()))
                                          : QByteArray();
        records.append({row.strName, data});
    }
    return records;
}
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
    // The list can be edited from now on: the dialog starts from the strip.
    m_frameCommands.SetEnabled(CMainFrame::ID_PRESET_COMMANDS, true);
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

// The list on screen is replaced only once the file holds the new list: after
// a failed save the old buttons keep working with their old bytes.
void CTarvikView::OnPresetCommands()
{
    if (!m_pCmdView)
        return;
    CUserCmdCfgDlg dialog(this);
    dialog.SetCodePage(m_codePage);
    dialog.SetRows(RowsOf(m_pCmdView->Records()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    MakeConfigFolder(IniPath()); // the first save may come before any exit
    if (!SaveUserCommandRows(this, IniPath(), dialog.Rows()))
        return;
    m_pCmdView->Records() = RecordsOf(dialog.Rows());
    m_pCmdView->OnInitialUpdate();
}
