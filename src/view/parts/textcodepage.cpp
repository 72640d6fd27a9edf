#include "view/parts/textcodepage.h"

#include "shell/codepagemenu.h"
#include "view/parts/portextras.h"
#include "view/parts/viewsettings.h"
#include "view/recv/recvview.h"
#include "widgets/editex.h"

void CTextCodePage::Attach(CEditEx *sendBox, CRecvView *recvBox)
{
    m_sendBox = sendBox;
    m_recvBox = recvBox;
    if (const std::optional<CodePageId> page = CViewSettings::TextCodePage())
        Apply(*page);
}

void CTextCodePage::AttachMenu(CCodePageMenu *menu)
{
    m_menu = menu;
    if (!m_menu)
        return;
    connect(m_menu, &CCodePageMenu::chosen, this, &CTextCodePage::Set);
    m_menu->Show(m_page);
}

void CTextCodePage::Set(CodePageId page)
{
    Apply(page);
    CViewSettings::SetTextCodePage(page);
}

// The send box keeps its bytes: Ascii text is shown again in the new code
// page (a text with a character the old one lacks stays as typed). The
// receive box renders its history again.
void CTextCodePage::Apply(CodePageId page)
{
    m_page = page;
    ByteString bytes;
    const bool reRender = !m_sendBox->m_bHex && m_sendBox->GetData(bytes) > 0;
    m_sendBox->SetCodePage(page);
    if (reRender)
        m_sendBox->SetData(bytes.bytes(), -1);
    m_recvBox->SetCodePage(page);
    m_extras.SetLogCodePage(page);
    if (m_menu)
        m_menu->Show(page);
}
