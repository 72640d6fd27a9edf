// CSendPages: the send box holds one of several texts, moved between with
// buttons 1012 (previous) and 1013 (next). The pages live as long as the
// view; there is always at least one, and they are never saved.
//
// A page keeps the box's text as it was displayed, in the notation it was
// displayed in; showing it again restores that notation before the text, so
// nothing is converted on the way.
//
// Window thread only.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <vector>

class CEditEx;
class CViewStatus;
class QCheckBox;
class QLabel;
class QPushButton;

class CSendPages : public QObject
{
public:
    // One page of the send box, as it was when the user last left it.
    struct tagSENDDATA
    {
        int32_t nScrollPos = 0; // vertical scroll position of the box
        int32_t nHex = 0;       // 1: shown in hex notation (check box 1005)
        int32_t nLength = 1;    // characters of strText when saved; 1 for a new page
        QString strText;        // the box's text as displayed
    };

    // The send box, its hex check box and the page label 1016; starts with
    // one empty page.
    void Attach(CEditEx *box, QCheckBox *hex, QLabel *label);
    // The buttons move, then the page is told in the status bar and the
    // box has the focus.
    void Connect(QPushButton *previous, QPushButton *next, CViewStatus &status);

    // False, with nothing changed, on the first page.
    bool Previous();
    // Only a page that holds text gets a page after it.
    void Next();

    int Current() const { return m_nCurrentPage + 1; } // counted from 1
    int Count() const { return int(m_pages.size()); }
    // "page current/count" in the string `id`.
    QString Text(unsigned id) const;

private:
    void OnPrevious(CViewStatus &status);
    void OnNext(CViewStatus &status);
    void SaveCurrentPage();
    void ShowPage(int index);

    CEditEx *m_box = nullptr;
    QCheckBox *m_hex = nullptr;
    QLabel *m_label = nullptr;
    std::vector<tagSENDDATA> m_pages{1};
    int m_nCurrentPage = 0;
};
