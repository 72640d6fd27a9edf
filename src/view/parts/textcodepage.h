// CTextCodePage: the code page of the text notation in every box that shows
// text (send box, receive view, capture log). The frame's menu offers it;
// the choice is remembered as the user's registry value (CViewSettings), so
// rvcfg.ini keeps its own keys.
//
// Window thread only.
#pragma once

#include "convert/codepage.h"

#include <QObject>

class CCodePageMenu;
class CEditEx;
class CPortExtras;
class CRecvView;

class CTextCodePage : public QObject
{
public:
    explicit CTextCodePage(CPortExtras &extras) : m_extras(extras) {}

    // The boxes; the remembered choice is applied to them.
    void Attach(CEditEx *sendBox, CRecvView *recvBox);
    // The frame's menu shows the page and chooses it.
    void AttachMenu(CCodePageMenu *menu);
    CodePageId Current() const { return m_page; }
    // Applies and remembers `page`.
    void Set(CodePageId page);

private:
    void Apply(CodePageId page);

    CPortExtras &m_extras;
    CEditEx *m_sendBox = nullptr;
    CRecvView *m_recvBox = nullptr;
    CCodePageMenu *m_menu = nullptr; // the frame's, once attached
    CodePageId m_page = CodePageId::Gbk;
};
