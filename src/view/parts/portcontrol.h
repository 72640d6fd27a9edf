// CPortControl: the port kind list 1017 and the open/close button 1007: the
// settings panel of the chosen kind, opening and closing the port, and what
// the view shows at the open result and when the port is lost.
//
// Opening starts the kind's open; the button stays disabled until the open
// result arrives (notification 1), which enables sending. Closing, a lost
// port and a failed open all leave the send and file buttons disabled. The
// reconnect attempts of CPortExtras come first: while they run, the button
// stops them.
//
// Window thread only.
#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QSize>

#include <cstdint>
#include <functional>

struct CViewForm;
class CFileSendState;
class CPortExtras;
class CReceiveControls;
class CViewPort;
class CViewStatus;
class QWidget;

class CPortControl : public QObject
{
    // The captions are the view's texts and keep its translation context.
    Q_DECLARE_TR_FUNCTIONS(CTarvikView)

public:
    // The parts an open or a close changes.
    struct Parts
    {
        CViewPort &port;
        CPortExtras &extras;
        CViewStatus &status;
        CReceiveControls &receive;
        CFileSendState &fileSend;
    };
    // The port column fits a settings panel of this size.
    using FitColumn = std::function<void(QSize panelNeed)>;

    CPortControl(const CViewForm &form, Parts parts);

    // `view` is the parent of the panels and of the messages.
    void Connect(QWidget *view, FitColumn fitColumn);
    // Closes an open port and makes the panel of the kind now chosen.
    void OnKindChange();
    void OnOpenClose();
    // Also closes a port whose open is still pending (the serial panel asks
    // for that on a new setting); the open button comes back.
    void Close();
    // The port is forgotten and closed without a word to the user.
    void Discard();
    void OnOpenResult(int error);
    void OnLost();

private:
    void Open();
    void CreatePanel(int kind);
    // The status text for the current port's failed open, with the cause
    // when the spooler, the device or the network settings tell it.
    QString OpenFailureText(uint32_t error) const;

    const CViewForm &m_form;
    Parts m_parts;
    QWidget *m_view = nullptr;
    FitColumn m_fitColumn;
};
