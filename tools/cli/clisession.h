// One run of tarvik-cli on an open port: the sends in order, the reply
// collected from the first send on, and the verdict.
//
// The session is the port's owner on the thread that runs the event loop;
// every step follows a port notification or a timer, so the port library's
// threads never wait for anything but this loop.
#pragma once

#include "cliplan.h"
#include "clireply.h"
#include "clistream.h"
#include "escpos/escposstatus.h"

#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class CPortEx;

class CCliSession : public QObject
{
public:
    // `showProgress`: report file progress on standard error.
    CCliSession(const CliPlan &plan, CPortEx &port, bool showProgress);

    // Opens the port, runs the plan and returns the exit status. The port is
    // left open for the caller to close.
    int Run();

    const std::vector<uint8_t> &Reply() const { return m_reply; }
    const std::vector<std::string> &StatusLines() const { return m_statusLines; }
    // Why the run failed; empty after success.
    const std::string &Message() const { return m_message; }

protected:
    bool event(QEvent *event) override;

private:
    void OnPortMsg(uint16_t code, uint16_t error, uint32_t value);
    void OnOpened(uint16_t error);
    void StartNextStep();
    void ScheduleNextStep();
    void WriteBytes(const std::vector<uint8_t> &bytes);
    void StartFile(const CliSendStep &step);
    bool IsStreamed(const CliSendStep &step) const;
    void StartStream(const CliSendStep &step);
    void PumpStream();
    void OnStreamEnd();
    void OnWriteDone();
    void OnFileDone();
    void OnLost(uint16_t error);
    void OnSendsDone();
    void ReadAvailable();
    void OnReceived(std::span<const uint8_t> bytes);
    void CheckReply();
    void ShowProgress(uint32_t percent);
    void OnTimeout();
    std::string ErrorText(uint32_t error) const;
    void Finish(int exitStatus, std::string message = {});

    enum class Phase
    {
        Opening,
        Sending,
        AwaitingReply,
        Collecting,
        Done
    };

    const CliPlan &m_plan;
    CPortEx &m_port;
    const bool m_showProgress;
    Phase m_phase = Phase::Opening;
    std::size_t m_nextStep = 0;
    bool m_writing = false;     // a Write waits for code 2
    bool m_fileSending = false; // a file transfer waits for code 5
    int m_passesDone = 0;
    const CliSendStep *m_file = nullptr;  // the file being sent
    std::unique_ptr<CCliStream> m_stream; // the file read here, piece by piece
    std::vector<uint8_t> m_piece;         // its piece being written
    uint64_t m_streamed = 0;              // its bytes written in this pass
    bool m_awaitingSource = false;        // its next piece has not come yet
    bool m_recording = false;             // the reply counts from the first send on
    std::vector<uint8_t> m_reply;
    EscPos::CStatusReplyTracker m_statusReplies;
    std::vector<std::string> m_statusLines;
    QTimer m_timeout;
    QTimer m_readTimer;
    QEventLoop m_loop;
    int m_exitStatus = kExitDone;
    std::string m_message;
};
