// Find, asked for by the find dialog: in the receive view when it had the
// focus last of the two boxes (the dialog itself has it while in use), else
// in the send box.
#include "stringtable.h"
#include "view/tarvikview.h"

#include "view/recvview.h"
#include "widgets/editex.h"

#include <QMessageBox>

namespace {
// Only ASCII letters change case, as the C library's conversion does here;
// this also keeps every position of the folded text that of the original.
QString FoldAsciiCase(QString text)
{
    for (QChar &c : text)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    return text;
}

void SelectRange(CEditEx *box, qsizetype from, qsizetype length)
{
    box->SelectText(from, from + length);
}
} // namespace

// Searches from the end of the selection and wraps once to the beginning,
// so repeated requests walk through every occurrence.
void CTarvikView::FindInSendBox(const QString &text, bool matchCase)
{
    ShowStatusText(QString(), kStatusHint, kStatusUntilReplaced);
    if (text.isEmpty())
        return;
    CEditEx *box = m_form.sendBox;
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
        ShowStatusMessage(kStatusHint, IDS_FIND_WRAPPED, kStatusDefaultTime);
        return;
    }
    ReportNotFound(text);
}

void CTarvikView::ReportNotFound(const QString &text)
{
    QString message = LoadString(IDS_TEXT_NOT_FOUND);
    message.replace(QStringLiteral("%s"), text).remove(u'\r');
    QMessageBox::information(this, QString(), message, QMessageBox::Ok);
}

void CTarvikView::FindText(const QString &text, bool matchCase)
{
    if (m_frameCommands.FindInRecv())
        FindInRecvView(text, matchCase);
    else
        FindInSendBox(text, matchCase);
}

// The receive view searches on a thread of its own; its progress and result
// come back here.
void CTarvikView::ConnectRecvFind()
{
    CRecvView *box = m_form.recvBox;
    connect(box, &CRecvView::FindProgress, this, [this](int percent) {
        ShowStatusText(tr("正在查找：%1%").arg(percent), kStatusHint, kStatusUntilReplaced);
    });
    // The progress shown must not outlive the search.
    connect(box, &CRecvView::FindCancelled, this,
            [this] { ShowStatusText(QString(), kStatusHint, kStatusUntilReplaced); });
    connect(box, &CRecvView::FindFinished, this, [this](CRecvView::FindResult result) {
        ShowStatusText(QString(), kStatusHint, kStatusUntilReplaced);
        switch (result) {
        case CRecvView::FindResult::Found:
            return;
        case CRecvView::FindResult::FoundAfterWrap:
            ShowStatusMessage(kStatusHint, IDS_FIND_WRAPPED, kStatusDefaultTime);
            return;
        case CRecvView::FindResult::NotFound:
            ReportNotFound(m_strRecvFindText);
        }
    });
}

void CTarvikView::FindInRecvView(const QString &text, bool matchCase)
{
    ShowStatusText(QString(), kStatusHint, kStatusUntilReplaced);
    m_form.recvBox->CancelFind();
    if (text.isEmpty())
        return;
    m_strRecvFindText = text;
    m_form.recvBox->Find(text, matchCase);
}
