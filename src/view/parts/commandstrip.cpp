#include "view/parts/commandstrip.h"

#include "config/configpath.h"
#include "shell/mainframe.h"
#include "usercmd/usercmdcfgdlg.h"
#include "usercmd/usercmdsave.h"
#include "usercmd/usercmdstore.h"
#include "usercmd/usercmdvalue.h"
#include "usercmd/usercommandview.h"
#include "view/form/viewids.h"
#include "view/parts/framecommands.h"
#include "view/parts/textcodepage.h"

#include <QCoreApplication>
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

CCommandStrip::CCommandStrip(const std::filesystem::path &iniPath, CFrameCommands &commands,
                             const CTextCodePage &codePage)
    : m_iniPath(iniPath), m_commands(commands), m_codePage(codePage)
{
}

void CCommandStrip::Create(QWidget *view, QRect group, SendData send)
{
    m_view = view;
    m_pStrip = new CUserCommandView(view);
    m_pStrip->setObjectName(ViewId::Name(ViewId::kCmdStrip));
    connect(m_pStrip, &CUserCommandView::sendData, this, std::move(send));
    LoadUserCommandRecords(m_iniPath, m_pStrip->Records(), UserCmdPrompts::MessageBoxes(view));
    m_pStrip->setGeometry(group - kStripInset);
    m_pStrip->show();
    m_pStrip->OnInitialUpdate();
    // The list can be edited from now on: the dialog starts from the strip.
    m_commands.SetEnabled(CMainFrame::ID_PRESET_COMMANDS, true);
}

// The edit boxes hand the wheel to the view when they have nothing to
// scroll themselves.
bool CCommandStrip::TakeWheel(QWidget *view, QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    const QScrollBar *bar = m_pStrip ? m_pStrip->verticalScrollBar() : nullptr;
    const bool stripMoves = bar && ((delta > 0 && bar->value() > bar->minimum()) ||
                                    (delta < 0 && bar->value() < bar->maximum()));
    if (!stripMoves)
        return false;
    QWidget *target = m_pStrip->viewport();
    QWheelEvent forwarded(target->mapFrom(view, event->position()), event->globalPosition(),
                          event->pixelDelta(), event->angleDelta(), event->buttons(),
                          event->modifiers(), event->phase(), event->inverted(), event->source());
    QCoreApplication::sendEvent(target, &forwarded);
    event->accept();
    return true;
}

// The list on screen is replaced only once the file holds the new list: after
// a failed save the old buttons keep working with their old bytes.
void CCommandStrip::OnPresetCommands()
{
    if (!m_pStrip)
        return;
    CUserCmdCfgDlg dialog(m_view);
    dialog.SetCodePage(m_codePage.Current());
    dialog.SetRows(RowsOf(m_pStrip->Records()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    MakeConfigFolder(m_iniPath); // the first save may come before any exit
    if (!SaveUserCommandRows(m_view, m_iniPath, dialog.Rows()))
        return;
    m_pStrip->Records() = RecordsOf(dialog.Rows());
    m_pStrip->OnInitialUpdate();
}
