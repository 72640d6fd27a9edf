// CSendControls: the send operation, the write-done notification and the
// send area's controls: send (1000), hex (1005), clear (1006) and the send
// counter's clear (1059).
//
// Button 1000 is the view's write lock: it is disabled from the start of a
// write until the port reports the write done (or refuses the write), so at
// most one write is outstanding.
//
// Window thread only.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QObject>

#include <cstdint>

struct CViewForm;
class CFileSendState;
class CPortExtras;
class CReceiveDisplay;
class CViewCounters;
class CViewPort;
class CViewStatus;

class CSendControls : public QObject
{
    // The captions are the view's texts and keep its translation context.
    Q_DECLARE_TR_FUNCTIONS(CTarvikView)

public:
    // What a write goes through and changes.
    struct Parts
    {
        CViewPort &port;
        CViewCounters &counters;
        CViewStatus &status;
        CPortExtras &extras;
        CReceiveDisplay &display; // shows the counters
        const CFileSendState &fileSend;
    };

    CSendControls(const CViewForm &form, Parts parts);

    void Connect();
    // Send button 1000, menu command 32775, Ctrl+S and auto-send: the send
    // box, with the focus back on the button once the write is done.
    void OnSendCommand();
    // Bytes from the command strip; empty stands for the send box. 1 when
    // the bytes went to the port.
    int OnSendData(const QByteArray &bytes);
    void OnWriteDone(int error);

private:
    int Send(const uint8_t *bytes, uint32_t count);
    void OnHexClicked(bool checked);

    const CViewForm &m_form;
    Parts m_parts;
};
