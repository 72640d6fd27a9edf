// Send pages: the send box holds one of several texts, moved between with
// buttons 1012 (previous) and 1013 (next).
//
// A page keeps the box's text as it was displayed, in the notation it was
// displayed in; showing it again restores that notation before the text, so
// nothing is converted on the way. The box's undo history is dropped with each
// move: undoing into another page's text would mix the pages.
#include "convert/editex.h"
#include "stringtable.h"
#include "view/tarvikview.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

namespace {
constexpr int kDefaultDuration = 0;

QString PageText(unsigned id, int current, int count)
{
    return QString::asprintf(LoadString(id).toUtf8().constData(), current, count);
}
} // namespace

void CTarvikView::ConnectPageControls()
{
    m_pages.assign(1, tagSENDDATA{});
    m_nCurrentPage = 0;
    connect(m_form.prevPage, &QPushButton::clicked, this, &CTarvikView::OnPrevPage);
    connect(m_form.nextPage, &QPushButton::clicked, this, &CTarvikView::OnNextPage);
    m_form.pageLabel->setText(PageText(IDS_PAGE_LABEL, 1, 1));
}

void CTarvikView::OnPrevPage()
{
    if (m_nCurrentPage <= 0) {
        ShowStatusMessage(kStatusHint, IDS_FIRST_PAGE, kDefaultDuration);
        m_form.sendBox->setFocus();
        return;
    }
    SaveCurrentPage();
    ShowPage(--m_nCurrentPage);
    ReportPageMove();
}

// Only a page that holds text gets a page after it.
void CTarvikView::OnNextPage()
{
    SaveCurrentPage();
    const int next = m_nCurrentPage + 1;
    if (next < int(m_pages.size())) {
        ShowPage(m_nCurrentPage = next);
    } else if (!m_form.sendBox->document()->isEmpty()) {
        tagSENDDATA page;
        page.nHex = m_form.hexSend->isChecked() ? 1 : 0;
        m_pages.push_back(page);
        m_nCurrentPage = next;
        m_form.sendBox->clear(); // notation and check box stay
    }
    ReportPageMove();
}

void CTarvikView::SaveCurrentPage()
{
    tagSENDDATA &page = m_pages.at(std::size_t(m_nCurrentPage));
    page.nScrollPos = m_form.sendBox->verticalScrollBar()->value();
    page.nHex = m_form.hexSend->isChecked() ? 1 : 0;
    page.strText = m_form.sendBox->toPlainText();
    page.nLength = int32_t(page.strText.size());
}

void CTarvikView::ShowPage(int index)
{
    const tagSENDDATA &page = m_pages.at(std::size_t(index));
    CEditEx *box = m_form.sendBox;
    box->clear();
    box->SetHexMode(page.nHex == 1); // an empty box always switches
    box->setPlainText(page.strText);
    box->verticalScrollBar()->setValue(page.nScrollPos);
    m_form.hexSend->setChecked(page.nHex == 1);
}

void CTarvikView::ReportPageMove()
{
    const int current = m_nCurrentPage + 1;
    const int count = int(m_pages.size());
    m_form.pageLabel->setText(PageText(IDS_PAGE_LABEL, current, count));
    ShowStatusText(PageText(IDS_PAGE_STATUS, current, count), kStatusHint, kDefaultDuration);
    m_form.sendBox->setFocus();
}
