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
        Finish(kExitPortFailed, "cannot open the port: " + ErrorText(m_port.GetLastError()));
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
        OnWriteDone();
        break;
    case kPortOpened:
        OnOpened(error);
        break;
    case kPortLost:
        OnLost(error);
        break;
    case kPortFileDone:
        OnFileDone();
        break;
    case kPortFileFailed:
        Finish(kExitPortFailed, "sending the file failed: " + ErrorText(m_port.GetLastError()));
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
        Finish(kExitPortFailed, "cannot open the port: " + ErrorText(error));
        return;
    }
    m_port.SetReceiveEnabled(true); // a USB port reads only when asked
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
    if (step.kind != CliSendKind::File)
        WriteBytes(step.bytes);
    else if (IsStreamed(step))
        StartStream(step);
    else
        StartFile(step);
}

void CCliSession::OnWriteDone()
{
    if (!std::exchange(m_writing, false))
        return;
    if (m_stream) // the next piece, from the loop: code 2 may come inside Write
        QTimer::singleShot(0, this, &CCliSession::PumpStream);
    else
        ScheduleNextStep();
}

// Across a loss the reply is what counts: a printer that answers and then
// closes has done what --read-ms waits for.
void CCliSession::OnLost(uint16_t error)
{
    if (m_phase == Phase::Collecting) {
        ReadAvailable();
        if (!m_reply.empty()) {
            Finish(kExitDone);
            return;
        }
    }
    Finish(kExitPortFailed,
           "the port was lost" + (error ? ": " + ErrorText(error) : std::string()));
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
        Finish(kExitPortFailed, "writing failed: " + ErrorText(m_port.GetLastError()));
    else if (m_port.GetPortType() == PortKind::Printer && written < length)
        Finish(kExitPortFailed, "the spooler refused the job: " + ErrorText(m_port.GetLastError()));
}

void CCliSession::StartFile(const CliSendStep &step)
{
    m_file = &step;
    m_fileSending = true;
    m_passesDone = 0;
    if (!m_port.SendFile(step.text.c_str(), step.passes, step.intervalMs))
        Finish(kExitBadArgs, "cannot send " + step.text + ": the file could not be opened");
}

// Read here: pipes, which have no size to send by; every file when the
// decoder must see each status request as it goes out; and every file to a
// network printer, where the port's transfer (1 KiB chunks, a pause before
// its end) took three times the system time of 64 KiB writes and ran at
// 0.7 times the speed of socat. A printer queue takes each write as a job of
// its own, so it gets its files whole from the port's transfer.
bool CCliSession::IsStreamed(const CliSendStep &step) const
{
    const PortKind kind = m_port.GetPortType();
    return step.streamed || kind == PortKind::Network ||
           (m_plan.decodeEscpos && kind != PortKind::Printer);
}

void CCliSession::StartStream(const CliSendStep &step)
{
    m_file = &step;
    m_passesDone = 0;
    m_streamed = 0;
    std::string error;
    m_stream = std::make_unique<CCliStream>();
    if (m_port.GetPortType() == PortKind::Printer)
        Finish(kExitBadArgs,
               "a printer queue takes files, not pipes: save " + step.text + " to a file first");
    else if (!m_stream->Open(step.text, error))
        Finish(kExitBadArgs, "cannot read " + step.text + ": " + error);
    else
        PumpStream();
}

void CCliSession::PumpStream()
{
    if (m_phase != Phase::Sending || !m_stream || m_writing)
        return;
    switch (m_stream->Read(m_piece)) {
    case CCliStream::Got::Bytes:
        m_awaitingSource = false;
        m_timeout.start(int(m_plan.timeoutMs));
        m_streamed += m_piece.size();
        WriteBytes(m_piece);
        ShowProgress(m_stream->Size() ? uint32_t(m_streamed * 100 / m_stream->Size()) : 0);
        break;
    case CCliStream::Got::Later:
        m_awaitingSource = true;
        m_stream->WhenReadable([this] { PumpStream(); });
        break;
    case CCliStream::Got::End:
        OnStreamEnd();
        break;
    case CCliStream::Got::Failed:
        Finish(kExitBadArgs, "reading " + m_file->text + " failed: " + m_stream->Error());
        break;
    }
}

// The end of a pass: the next one after the interval, or the next step.
void CCliSession::OnStreamEnd()
{
    if (++m_passesDone < m_file->passes && m_stream->Rewind()) {
        m_streamed = 0;
        m_timeout.start(TimerMs(uint64_t(m_plan.timeoutMs) + m_file->intervalMs));
        QTimer::singleShot(TimerMs(m_file->intervalMs), this, &CCliSession::PumpStream);
        return;
    }
    // This may run inside the stream's own notification.
    m_stream.release()->deleteLater();
    if (m_showProgress)
        std::fputc('\n', stderr);
    ScheduleNextStep();
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
    if (m_stream && m_stream->Size() == 0)
        std::fprintf(stderr, "\rsending %s: %llu bytes", m_file->text.c_str(),
                     static_cast<unsigned long long>(m_streamed));
    else
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
        Finish(kExitTimedOut, "timed out after " + std::to_string(m_plan.timeoutMs) + " ms: " +
                                  (m_awaitingSource ? "no data came from " + m_file->text
                                                    : std::string("the port took no data")));
        break;
    case Phase::AwaitingReply:
        Finish(kExitTimedOut, DescribeShortReply(*m_plan.expect, m_reply, m_plan.timeoutMs));
        break;
    case Phase::Collecting:
    case Phase::Done:
        break;
    }
}

std::string CCliSession::ErrorText(uint32_t error) const
{
    return PortErrorText(error, m_port.GetPortType());
}

void CCliSession::Finish(int exitStatus, std::string message)
{
    if (m_phase == Phase::Done)
        return;
    m_phase = Phase::Done;
    m_timeout.stop();
    m_readTimer.stop();
    if ((m_fileSending || m_stream) && m_showProgress)
        std::fputc('\n', stderr);
    m_exitStatus = exitStatus;
    m_message = std::move(message);
    m_loop.exit(exitStatus);
}
