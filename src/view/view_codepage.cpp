// The code page of the text notation: the frame's menu offers it, the view
// applies it to every box that shows text and remembers it beside the window
// layout in the user's settings (rvcfg.ini keeps its own keys).
#include "shell/codepagemenu.h"
#include "shell/mainframe.h"
#include "view/recvview.h"
#include "view/tarvikview.h"
#include "widgets/editex.h"

void CTarvikView::LoadTextCodePage()
{
    if (const std::optional<CodePageId> page = CViewSettings::TextCodePage())
        ApplyTextCodePage(*page);
}

void CTarvikView::SetTextCodePage(CodePageId page)
{
    ApplyTextCodePage(page);
    CViewSettings::SetTextCodePage(page);
}

// The send box keeps its bytes: Ascii text is shown again in the new code
// page (a text with a character the old one lacks stays as typed). The
// receive box renders its history again.
void CTarvikView::ApplyTextCodePage(CodePageId page)
{
    m_codePage = page;
    CEditEx *send = m_form.sendBox;
    ByteString bytes;
    const bool reRender = !send->m_bHex && send->GetData(bytes) > 0;
    send->SetCodePage(page);
    if (reRender)
        send->SetData(bytes.bytes(), -1);
    m_form.recvBox->SetCodePage(page);
    m_extras.SetLogCodePage(page);
    if (m_codePageMenu)
        m_codePageMenu->Show(page);
}

void CTarvikView::AttachCodePageMenu(CMainFrame &frame)
{
    m_codePageMenu = frame.CodePageMenu();
    if (!m_codePageMenu)
        return;
    connect(m_codePageMenu, &CCodePageMenu::chosen, this, &CTarvikView::SetTextCodePage);
    m_codePageMenu->Show(m_codePage);
}
