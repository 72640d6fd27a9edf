#include "view/parts/viewfind.h"

#include "stringtable.h"
#include "view/parts/framecommands.h"
#include "view/parts/viewstatus.h"
#include "view/recv/historyfinder.h"
#include "view/recv/recvview.h"
#include "viewmessages.h"
#include "widgets/editex.h"

#include <QMessageBox>

namespace {
void SelectRange(CEditEx *box, qsizetype from, qsizetype length)
{
    box->SelectText(from, from + length);
}
} // namespace

CViewFind::CViewFind(const CFrameCommands &target, CViewStatus &status)
    : m_target(target), m_status(status)
{
}

// The receive view's progress and result come back here.
void CViewFind::Connect(QWidget *view, CEditEx *sendBox, CRecvView *recvBox)
{
    m_view = view;
    m_sendBox = sendBox;
    m_recvBox = recvBox;
    connect(recvBox, &CRecvView::FindProgress, this, [this](int percent) {
        m_status.ShowText(tr("正在查找：%1%").arg(percent), kStatusHint, kStatusUntilReplaced);
    });
    // The progress shown must not outlive the search.
    connect(recvBox, &CRecvView::FindCancelled, this,
            [this] { m_status.ShowText(QString(), kStatusHint, kStatusUntilReplaced); });
    connect(recvBox, &CRecvView::FindFinished, this, [this](CRecvView::FindResult result) {
        m_status.ShowText(QString(), kStatusHint, kStatusUntilReplaced);
        switch (result) {
        case CRecvView::FindResult::Found:
            return;
        case CRecvView::FindResult::FoundAfterWrap:
            m_status.ShowMessage(kStatusHint, IDS_FIND_WRAPPED, kStatusDefaultTime);
            return;
        case CRecvView::FindResult::NotFound:
            ReportNotFound(m_strRecvFindText);
        }
    });
}

void CViewFind::Find(const QString &text, bool matchCase)
{
    if (m_target.FindInRecv())
        FindInRecvView(text, matchCase);
    else
        FindInSendBox(text, matchCase);
}

void CViewFind::FindInSendBox(const QString &text, bool matchCase)
{
    m_status.ShowText(QString(), kStatusHint, kStatusUntilReplaced);
    if (text.isEmpty())
        return;
    CEditEx *box = m_sendBox;
    const qsizetype start = box->TextPosition(box->textCursor().selectionEnd());
    const QString haystack = matchCase ? box->Text() : FoldAsciiCase(box->Text());
    const QString needle = matchCase ? text : FoldAsciiCase(text);
    if (start < haystack.size()) {
        const qsizetype at = haystack.indexOf(needle, start);
        if (at >= 0)
            return SelectRange(box, at, needle.size());
    }
    const qsizetype at = haystack.indexOf(needle);
    if (at >= 0) {
        SelectRange(box, at, needle.size());
        m_status.ShowMessage(kStatusHint, IDS_FIND_WRAPPED, kStatusDefaultTime);
        return;
    }
    ReportNotFound(text);
}

void CViewFind::FindInRecvView(const QString &text, bool matchCase)
{
    m_status.ShowText(QString(), kStatusHint, kStatusUntilReplaced);
    m_recvBox->CancelFind();
    if (text.isEmpty())
        return;
    m_strRecvFindText = text;
    m_recvBox->Find(text, matchCase);
}

void CViewFind::ReportNotFound(const QString &text)
{
    QString message = LoadString(IDS_TEXT_NOT_FOUND);
    message.replace(QStringLiteral("%s"), text).remove(u'\r');
    QMessageBox::information(m_view, QString(), message, QMessageBox::Ok);
}
