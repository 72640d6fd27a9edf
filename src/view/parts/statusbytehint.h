// The window's reading of printer status bytes: the status byte received
// after a DLE EOT or GS r request, shown with its named bits as a hint in the
// status bar and as the receive box's tool tip.
#pragma once

#include "escpos/escposstatus.h"

#include <QCoreApplication>
#include <QString>

#include <cstdint>

class CStatusByteHint
{
    Q_DECLARE_TR_FUNCTIONS(CStatusByteHint)

public:
    void NoteSent(const uint8_t *bytes, uint32_t count);
    // The caption of the last status byte among `bytes`; empty when there is none.
    QString NoteReceived(const uint8_t *bytes, uint32_t count);
    // A new port owes no answers to requests sent through the last one.
    void Clear() { m_tracker.Clear(); }

    // "状态 DLE EOT 4 = 72：纸量充足，缺纸".
    static QString Caption(EscPos::StatusRequest request, uint8_t reply);
    static QString ConditionCaption(EscPos::StatusCondition condition, bool set);

private:
    EscPos::CStatusReplyTracker m_tracker;
};
