#include "clisession.h"

#include "cliport.h"
#include "port/portex.h"
#include "port/portkind.h"
#include "port/portnotify.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace {

// A time-out and an interval together may exceed what a timer takes.
int TimerMs(uint64_t ms)
{
    return int(std::min<uint64_t>(ms, INT32_MAX));
}
} // namespace

CCliSession::CCliSession(const CliPlan &plan, CPortEx &port, bool showProgress)
    : m_plan(plan), m_port(port), m_showProgress(showProgress)
{
    m_timeout.setSingleShot(true);
    m_readTimer.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, &CCliSession::OnTimeout);
    connect(&m_readTimer, &QTimer::timeout, this, [this] { Finish(kExitDone); });
}

int CCliSession::Run()
{
    m_timeout.start(int(m_plan.timeoutMs));
    if (!m_port.OpenPort(this, 1, 0, 0)) {
        Finish(kExitPortFailed, "cannot open the port: " + PortErrorText(m_port.GetLastError()));
        return m_exitStatus;
    }
    if (m_phase != Phase::Done)
        m_loop.exec();
    return m_exitStatus;
}

bool CCliSession::event(QEvent *event)
{
    if (event->type() != PortDefaultMessage())
        return QObject::event(event);
    const auto *msg = static_cast<CPortMsgEvent *>(event);
    if (m_phase != Phase::Done)
        OnPortMsg(msg->Code(), msg->Error(), msg->LParam());
    return true;
}

void CCliSession::OnPortMsg(uint16_t code, uint16_t error, uint32_t value)
{
    switch (code) {
    case kPortDataArrived:
        ReadAvailable();
        break;
    case kPortWriteDone:
        if (std::exchange(m_writing, false))
            ScheduleNextStep();
        break;
    case kPortOpened:
        OnOpened(error);
        break;
    case kPortLost:
        Finish(kExitPortFailed,
               "the port was lost" + (error ? ": " + PortErrorText(error) : std::string()));
        break;
    case kPortFileDone:
        OnFileDone();
        break;
    case kPortFileFailed:
        Finish(kExitPortFailed, "sending the file failed: " + PortErrorText(m_port.GetLastError()));
        break;
    case kPortFileProgress:
        ShowProgress(value);
        break;
    case kPortFilePassDone:
        ++m_passesDone;
        m_timeout.start(TimerMs(uint64_t(m_plan.timeoutMs) + (m_file ? m_file->intervalMs : 0)));
        break;
    case kPortUsbWriteShort:
        Finish(kExitPortFailed, "the printer took only part of the bytes");
        break;
    }
}

void CCliSession::OnOpened(uint16_t error)
{
    if (error != 0) {
        Finish(kExitPortFailed, "cannot open the port: " + PortErrorText(error));
        return;
    }
    EnableReceive(m_port);
    m_phase = Phase::Sending;
    m_recording = m_plan.sends.empty();
    StartNextStep();
}

// Code 2 may arrive inside Write itself; the next step starts from the loop.
void CCliSession::ScheduleNextStep()
{
    QTimer::singleShot(0, this, &CCliSession::StartNextStep);
}

void CCliSession::StartNextStep()
{
    if (m_phase != Phase::Sending)
        return;
    if (m_nextStep == m_plan.sends.size()) {
        OnSendsDone();
        return;
    }
    const CliSendStep &step = m_plan.sends[m_nextStep++];
    m_recording = true;
    m_timeout.start(int(m_plan.timeoutMs));
    if (step.kind == CliSendKind::File)
        StartFile(step);
    else
        WriteBytes(step.bytes);
}

void CCliSession::WriteBytes(const std::vector<uint8_t> &bytes)
{
    if (bytes.empty()) {
        ScheduleNextStep();
        return;
    }
    if (m_plan.decodeEscpos)
        m_statusReplies.NoteSent(bytes);
    m_writing = true;
    uint32_t written = 0;
    const auto length = static_cast<uint32_t>(bytes.size());
    if (!m_port.Write(bytes.data(), length, &written, 1))
        Finish(kExitPortFailed, "writing failed: " + PortErrorText(m_port.GetLastError()));
    else if (m_port.GetPortType() == PortKind::Printer && written < length)
        Finish(kExitPortFailed,
               "the spooler refused the job: " + PortErrorText(m_port.GetLastError()));
}

void CCliSession::StartFile(const CliSendStep &step)
{
    m_file = &step;
    m_fileSending = true;
    m_passesDone = 0;
    if (!m_port.SendFile(step.text.c_str(), step.passes, step.intervalMs))
        Finish(kExitPortFailed, "cannot send " + step.text + ": " + m_port.GetLastTrace());
}

void CCliSession::OnFileDone()
{
    if (!std::exchange(m_fileSending, false))
        return;
    if (m_showProgress)
        std::fputc('\n', stderr);
    ScheduleNextStep();
}

void CCliSession::ShowProgress(uint32_t percent)
{
    m_timeout.start(int(m_plan.timeoutMs));
    if (!m_showProgress || !m_file)
        return;
    std::fprintf(stderr, "\rsending %s: pass %d of %d, %3u%%", m_file->text.c_str(),
                 m_passesDone + 1, m_file->passes, percent);
    std::fflush(stderr);
}

void CCliSession::OnSendsDone()
{
    if (m_plan.expect) {
        m_phase = Phase::AwaitingReply;
        m_timeout.start(int(m_plan.timeoutMs));
        CheckReply();
    } else if (m_plan.readMs) {
        m_phase = Phase::Collecting;
        m_timeout.stop();
        m_readTimer.start(int(*m_plan.readMs));
    } else {
        Finish(kExitDone);
    }
}

void CCliSession::ReadAvailable()
{
    uint8_t buffer[4096];
    uint32_t received = 0;
    do {
        received = 0;
        m_port.Read(buffer, sizeof buffer, &received);
        OnReceived({buffer, received});
    } while (received == sizeof buffer && m_phase != Phase::Done);
}

void CCliSession::OnReceived(std::span<const uint8_t> bytes)
{
    if (!m_recording || bytes.empty())
        return;
    m_reply.insert(m_reply.end(), bytes.begin(), bytes.end());
    if (m_plan.decodeEscpos) {
        for (const EscPos::StatusReply &status : m_statusReplies.NoteReceived(bytes))
            m_statusLines.push_back(EscPos::DescribeStatus(status.request, status.reply));
    }
    CheckReply();
}

// A differing byte fails at once; a match ends the run once everything is sent.
void CCliSession::CheckReply()
{
    if (!m_plan.expect)
        return;
    const ExpectVerdict verdict = MatchReply(*m_plan.expect, m_reply);
    if (verdict.state == ExpectVerdict::State::Differs)
        Finish(kExitDiffers, DescribeMismatch(*m_plan.expect, m_reply, verdict.offset));
    else if (verdict.state == ExpectVerdict::State::Matched && m_phase == Phase::AwaitingReply)
        Finish(kExitDone);
}

void CCliSession::OnTimeout()
{
    switch (m_phase) {
    case Phase::Opening:
        Finish(kExitPortFailed, "cannot open the port: no answer within " +
                                    std::to_string(m_plan.timeoutMs) + " ms");
        break;
    case Phase::Sending:
        Finish(kExitTimedOut, "timed out after " + std::to_string(m_plan.timeoutMs) +
                                  " ms: the port took no data");
        break;
    case Phase::AwaitingReply:
        Finish(kExitTimedOut, DescribeShortReply(*m_plan.expect, m_reply, m_plan.timeoutMs));
        break;
    case Phase::Collecting:
    case Phase::Done:
        break;
    }
}

void CCliSession::Finish(int exitStatus, std::string message)
{
    if (m_phase == Phase::Done)
        return;
    m_phase = Phase::Done;
    m_timeout.stop();
    m_readTimer.stop();
    if (m_fileSending && m_showProgress)
        std::fputc('\n', stderr);
    m_exitStatus = exitStatus;
    m_message = std::move(message);
    m_loop.exit(exitStatus);
}
