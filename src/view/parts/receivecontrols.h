// CReceiveControls: reading the port into the receive view's history and the
// counters, and the receive area's controls: pause and continue (1011), hex
// (1009), arrival times, clear (1008), copy to the send box (1062), the
// receive counter's clear (1056), and the history's own notices.
//
// The history and the counters change with every read; the display follows
// (receivedisplay.h). An update costs what the rows in sight cost
// (recvview.h), whatever the size of the history.
//
// Window thread only.
#pragma once

#include <QCoreApplication>
#include <QObject>

struct CViewForm;
class CPortExtras;
class CReceiveDisplay;
class CViewCounters;
class CViewPort;
class CViewStatus;
class QWidget;

class CReceiveControls : public QObject
{
    // The captions are the view's texts and keep its translation context.
    Q_DECLARE_TR_FUNCTIONS(CTarvikView)

public:
    // What a read feeds.
    struct Parts
    {
        CViewPort &port;
        CReceiveDisplay &display;
        CViewCounters &counters;
        CViewStatus &status;
        CPortExtras &extras;
    };

    CReceiveControls(const CViewForm &form, Parts parts);

    // `view` is the parent of the question before a large copy.
    void Connect(QWidget *view);
    // The port announced bytes: read now, or leave them waiting while paused.
    // Called under the port's lock.
    void OnDataArrived();
    bool IsPaused() const;
    void SetPaused(bool paused);

private:
    void Read();
    void ReadFollowUp();
    void OnPause();
    void OnCopyToSend();
    bool ConfirmLargeCopyToSend();
    void ConnectHistoryChoices();

    const CViewForm &m_form;
    Parts m_parts;
    QWidget *m_view = nullptr;
};
