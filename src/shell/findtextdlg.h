// CFindTextDlg: the modeless find dialog. It does not search; it asks the main
// view to, with the view request of code 4 (find), the match-case flag in the high
// word, and the text:
//
//   viewRequest(wParam, text), wParam = 4 | (matchCase ? 1 : 0) << 16
//
// This is WM_VIEW_REQUEST (WM_USER+101) of the view's request dispatcher; codes 1
// (close the port) and 3 (select a file for sending) come from other windows.
// "Find next" is enabled only while the text is not empty. Close and Esc hide the
// dialog; whoever opens it creates a fresh one each time.
#pragma once

#include "viewmessages.h"

#include <QDialog>
#include <memory>

namespace Ui {
class CFindTextDlg;
}
class QComboBox;
class QCheckBox;
class QPushButton;

class CFindTextDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kDialogId = 137;
    static constexpr quint32 WM_VIEW_REQUEST = 0x0400 + 101;

    explicit CFindTextDlg(QWidget *parent = nullptr);
    ~CFindTextDlg() override;

    static constexpr quint32 MakeRequestParam(quint32 code, bool matchCase)
    {
        return (code & 0xFFFFu) | ((matchCase ? 1u : 0u) << 16);
    }

    QComboBox *TextCombo() const;
    QCheckBox *MatchCaseCheck() const;
    QPushButton *FindNextButton() const;

signals:
    void viewRequest(quint32 wParam, const QString &text);

protected:
    void changeEvent(QEvent *event) override;

private:
    void OnEditChange();
    void OnFindNext();

    std::unique_ptr<Ui::CFindTextDlg> m_ui;
};
