// The view's wiring of the send pages (sendpages.h): the buttons, and the
// status bar and focus after a move.
#include "stringtable.h"
#include "view/tarvikview.h"
#include "widgets/editex.h"

#include <QPushButton>

void CTarvikView::ConnectPageControls()
{
    m_pages.Attach(m_form.sendBox, m_form.hexSend, m_form.pageLabel);
    connect(m_form.prevPage, &QPushButton::clicked, this, &CTarvikView::OnPrevPage);
    connect(m_form.nextPage, &QPushButton::clicked, this, &CTarvikView::OnNextPage);
}

void CTarvikView::OnPrevPage()
{
    if (m_pages.Previous())
        ShowStatusText(m_pages.Text(IDS_PAGE_STATUS), kStatusHint, kStatusDefaultTime);
    else
        ShowStatusMessage(kStatusHint, IDS_FIRST_PAGE, kStatusDefaultTime);
    m_form.sendBox->setFocus();
}

void CTarvikView::OnNextPage()
{
    m_pages.Next();
    ShowStatusText(m_pages.Text(IDS_PAGE_STATUS), kStatusHint, kStatusDefaultTime);
    m_form.sendBox->setFocus();
}
