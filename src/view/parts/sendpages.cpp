// The box's undo history is dropped with each move: undoing into another
// page's text would mix the pages.
#include "view/parts/sendpages.h"

#include "stringtable.h"
#include "view/parts/viewstatus.h"
#include "viewmessages.h"
#include "widgets/editex.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

void CSendPages::Attach(CEditEx *box, QCheckBox *hex, QLabel *label)
{
    m_box = box;
    m_hex = hex;
    m_label = label;
    m_pages.assign(1, tagSENDDATA{});
    m_nCurrentPage = 0;
    m_label->setText(Text(IDS_PAGE_LABEL));
}

bool CSendPages::Previous()
{
    if (m_nCurrentPage <= 0)
        return false;
    SaveCurrentPage();
    ShowPage(--m_nCurrentPage);
    m_label->setText(Text(IDS_PAGE_LABEL));
    return true;
}

void CSendPages::Next()
{
    SaveCurrentPage();
    const int next = m_nCurrentPage + 1;
    if (next < Count()) {
        ShowPage(m_nCurrentPage = next);
    } else if (!m_box->document()->isEmpty()) {
        tagSENDDATA page;
        page.nHex = m_hex->isChecked() ? 1 : 0;
        m_pages.push_back(page);
        m_nCurrentPage = next;
        m_box->clear(); // notation and check box stay
    }
    m_label->setText(Text(IDS_PAGE_LABEL));
}

QString CSendPages::Text(unsigned id) const
{
    return QString::asprintf(LoadString(id).toUtf8().constData(), Current(), Count());
}

void CSendPages::SaveCurrentPage()
{
    tagSENDDATA &page = m_pages.at(std::size_t(m_nCurrentPage));
    page.nScrollPos = m_box->verticalScrollBar()->value();
    page.nHex = m_hex->isChecked() ? 1 : 0;
    page.strText = m_box->Text();
    page.nLength = int32_t(page.strText.size());
}

void CSendPages::ShowPage(int index)
{
    const tagSENDDATA &page = m_pages.at(std::size_t(index));
    m_box->clear();
    m_box->SetHexMode(page.nHex == 1); // an empty box always switches
    m_box->SetText(page.strText);
    m_box->verticalScrollBar()->setValue(page.nScrollPos);
    m_hex->setChecked(page.nHex == 1);
}

void CSendPages::Connect(QPushButton *previous, QPushButton *next, CViewStatus &status)
{
    connect(previous, &QPushButton::clicked, this, [this, &status] { OnPrevious(status); });
    connect(next, &QPushButton::clicked, this, [this, &status] { OnNext(status); });
}

void CSendPages::OnPrevious(CViewStatus &status)
{
    if (Previous())
        status.ShowText(Text(IDS_PAGE_STATUS), kStatusHint, kStatusDefaultTime);
    else
        status.ShowMessage(kStatusHint, IDS_FIRST_PAGE, kStatusDefaultTime);
    m_box->setFocus();
}

void CSendPages::OnNext(CViewStatus &status)
{
    Next();
    status.ShowText(Text(IDS_PAGE_STATUS), kStatusHint, kStatusDefaultTime);
    m_box->setFocus();
}
