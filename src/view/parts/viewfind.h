// CViewFind: find, asked for by the find dialog: in the receive view when it
// had the focus last of the two boxes (the dialog itself has it while in
// use), else in the send box. Both search from the end of the selection and
// wrap once to the beginning, so repeated requests walk through every
// occurrence; the receive view searches on a thread of its own.
//
// Window thread only.
#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QString>

class CEditEx;
class CFrameCommands;
class CRecvView;
class CViewStatus;
class QWidget;

class CViewFind : public QObject
{
    // The captions are the view's texts and keep its translation context.
    Q_DECLARE_TR_FUNCTIONS(CTarvikView)

public:
    CViewFind(const CFrameCommands &target, CViewStatus &status);

    // The boxes searched; `view` is the parent of the not-found message.
    void Connect(QWidget *view, CEditEx *sendBox, CRecvView *recvBox);
    void Find(const QString &text, bool matchCase);

private:
    void FindInSendBox(const QString &text, bool matchCase);
    void FindInRecvView(const QString &text, bool matchCase);
    void ReportNotFound(const QString &text);

    const CFrameCommands &m_target;
    CViewStatus &m_status;
    QWidget *m_view = nullptr;
    CEditEx *m_sendBox = nullptr;
    CRecvView *m_recvBox = nullptr;
    QString m_strRecvFindText; // what the receive view is looking for
};
