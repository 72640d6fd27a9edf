// The printer-driver kind against a private cupsd: raw capture queues, a
// queue whose backend fails, stopped and deleted queues, an instance, and a
// scheduler frozen with SIGSTOP.
#include "port/printerport.h"

#include "portowner.h"
#include "realport.h"
#include "support/bytes_diff.h"
#include "support/privatecupsd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

// One scheduler for the whole program: a thread's cups client keeps the
// first server it was pointed at.
class CupsdEnvironment : public testing::Environment
{
public:
    void SetUp() override { ready = cupsd.Start(whyNot); }
    void TearDown() override { cupsd.Thaw(); }

    CPrivateCupsd cupsd;
    bool ready = false;
    std::string whyNot;
};

CupsdEnvironment *const g_env =
    static_cast<CupsdEnvironment *>(testing::AddGlobalTestEnvironment(new CupsdEnvironment));

using AddQueueFn = bool (CPrivateCupsd::*)(const std::string &, std::string &);

class PrinterPortTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(g_env->ready) << "the private cupsd could not start: " << g_env->whyNot;
        m_queue = "tarvik_" + std::to_string(++s_queues);
    }
    void TearDown() override
    {
        s_cupsd->Thaw(); // a frozen scheduler would fail every later test
        m_port.ClosePort();
    }

    void AddQueue(AddQueueFn add = &CPrivateCupsd::AddRawQueue)
    {
        std::string whyNot;
        ASSERT_TRUE((s_cupsd->*add)(m_queue, whyNot)) << whyNot;
    }
    uint32_t Open(const std::string &queue)
    {
        tagPRINTER_CFG cfg{.dwMarker = kCfgMarkerValid};
        std::strncpy(cfg.szPrinter, queue.c_str(), sizeof cfg.szPrinter - 1);
        EXPECT_EQ(m_port.SetPortSettings(&cfg), 1u);
        return m_port.OpenPort(m_owner.Object(), 1, 9, 0);
    }
    // Closes the port, forgets its notifications, opens `queue` and waits
    // for code 3, which must be a success.
    void Reopen(const std::string &queue)
    {
        m_port.ClosePort();
        m_owner.Clear();
        ASSERT_EQ(Open(queue), 1u) << m_port.GetLastError();
        ASSERT_EQ(ErrorOf(kPortOpened), 0) << m_port.GetLastError();
    }
    void OpenQueue(AddQueueFn add = &CPrivateCupsd::AddRawQueue)
    {
        AddQueue(add);
        Reopen(m_queue);
    }
    // Waits for the `count`th `code` and gives the error of the last one;
    // -1 when it did not come.
    int ErrorOf(uint16_t code, int count = 1,
                std::chrono::milliseconds wait = CTestPortOwner::kWait)
    {
        return m_owner.WaitForCode(code, count, wait) ? LastCode(m_owner.Messages(), code)->error
                                                      : -1;
    }

    static inline CPrivateCupsd *const s_cupsd = &g_env->cupsd;
    static inline int s_queues = 0;

    std::string m_queue;
    CTestPortOwner m_owner;
    CPrinterPort m_port;
};

TEST_F(PrinterPortTest, EachWriteIsOneRawJobTitledTarvikReportedOncePrinted)
{
    OpenQueue();
    EXPECT_EQ(std::ranges::count(Spooler::ListQueues(), m_queue), 1);
    const std::string first = PatternBytes(300) + std::string("\x1B@\r\n\x1DV\x00 end", 10);
    uint32_t written = 0;
    ASSERT_EQ(WriteBytes(m_port, first, &written, 0), 1u);
    EXPECT_EQ(written, first.size());
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
    EXPECT_EQ(s_cupsd->Jobs(m_queue).size(), 1u) << "code 2 follows the printed job";
    EXPECT_EQ(WriteBytes(m_port, ""), 1u);
    ASSERT_EQ(WriteBytes(m_port, "second"), 1u);
    ASSERT_EQ(ErrorOf(kPortWriteDone, 2), 0);
    const std::vector<CapturedJob> jobs = s_cupsd->WaitForJobs(m_queue, 2);
    ASSERT_EQ(jobs.size(), 2u) << "an empty Write makes no job";
    EXPECT_TRUE(SameBytes(first, jobs[0].data));
    EXPECT_EQ(jobs[1].data, "second");
    for (const CapturedJob &job : jobs)
        EXPECT_EQ(job.title, kPrinterJobTitle);
    EXPECT_EQ(m_port.GetSpoolFailure().fault, SpoolFault::None);
}

TEST_F(PrinterPortTest, EveryFilePassIsOneJobAndCountsOncePrinted)
{
    OpenQueue();
    const std::string bytes = PatternBytes(2500);
    ASSERT_EQ(m_port.SendFile(TestFile(bytes).c_str(), 3, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    EXPECT_EQ(m_owner.CountOf(kPortFilePassDone), 3);
    EXPECT_EQ(m_owner.CountOf(kPortFileFailed), 0);
    const std::vector<CapturedJob> jobs = s_cupsd->Jobs(m_queue);
    ASSERT_EQ(jobs.size(), 3u) << "code 5 comes after the last job has printed";
    for (const CapturedJob &job : jobs)
        EXPECT_TRUE(SameBytes(bytes, job.data));
}

// A queue that will not print what it is given: the job is refused before it
// starts, or reported failed once the spooler gave up on it, never "sent".
struct Refusal
{
    const char *name;
    AddQueueFn add;
    std::function<bool(CPrivateCupsd &, const std::string &queue)> spoil;
    SpoolFault fault;
    const char *reason; // part of the spooler's reason
};

const Refusal kRefusals[] = {
    {"DisabledQueue", &CPrivateCupsd::AddRawQueue,
     [](auto &cupsd, auto &queue) { return cupsd.DisableQueue(queue, "out of paper (test)"); },
     SpoolFault::QueueStopped, "out of paper (test)"},
    {"RejectingQueue", &CPrivateCupsd::AddRawQueue,
     [](auto &cupsd, auto &queue) { return cupsd.RejectJobs(queue, "maintenance (test)"); },
     SpoolFault::NotAccepting, "maintenance (test)"},
    {"BackendFails", &CPrivateCupsd::AddFailingQueue, [](auto &, auto &) { return true; },
     SpoolFault::JobAborted, kFailingBackendMessage},
    {"DeletedQueue", &CPrivateCupsd::AddRawQueue,
     [](auto &cupsd, auto &queue) { return cupsd.DeleteQueue(queue); }, SpoolFault::UnknownQueue,
     "does not exist"},
};

class PrinterRefusalTest : public PrinterPortTest, public testing::WithParamInterface<Refusal>
{
protected:
    void OpenSpoiledQueue()
    {
        OpenQueue(GetParam().add);
        ASSERT_TRUE(GetParam().spoil(*s_cupsd, m_queue));
    }
    void ExpectFailure()
    {
        const SpoolFailure failure = m_port.GetSpoolFailure();
        EXPECT_EQ(failure.fault, GetParam().fault);
        EXPECT_NE(failure.reason.find(GetParam().reason), std::string::npos) << failure.reason;
        EXPECT_EQ(m_port.GetLastError(), failure.PortError());
        EXPECT_TRUE(s_cupsd->Jobs(m_queue).empty());
    }
};

// The write thread asks the spooler; the failure comes with code 2.
TEST_P(PrinterRefusalTest, PlainWriteFailsWithTheSpoolersReason)
{
    OpenSpoiledQueue();
    ASSERT_EQ(WriteBytes(m_port, "never printed"), 1u);
    const int error = ErrorOf(kPortWriteDone); // before the failure is asked for
    EXPECT_EQ(error, m_port.GetSpoolFailure().PortError());
    ExpectFailure();
}

TEST_P(PrinterRefusalTest, FileTransferFailsWithTheSpoolersReason)
{
    OpenSpoiledQueue();
    ASSERT_EQ(m_port.SendFile(TestFile(PatternBytes(3000)).c_str(), 2, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileFailed));
    ASSERT_TRUE(PollUntil([&] { return !m_port.IsSendingFile(); }));
    m_port.StopSendFile(); // reaps the thread
    EXPECT_EQ(m_owner.CountOf(kPortFileDone), 0);
    EXPECT_EQ(m_owner.CountOf(kPortFilePassDone), 0);
    ExpectFailure();
}

INSTANTIATE_TEST_SUITE_P(Spooler, PrinterRefusalTest, testing::ValuesIn(kRefusals),
                         [](const auto &row) { return std::string(row.param.name); });

// An instance prints with its options on its queue. A job that the spooler
// holds for the user (here by the instance's option) is where the user wanted
// it: the write is done, nothing is printed yet.
TEST_F(PrinterPortTest, InstancesPrintWithTheirOptionsAndAHeldJobCountsAsDone)
{
    AddQueue();
    ASSERT_TRUE(s_cupsd->AddInstance(m_queue, "twice", "copies=2"));
    ASSERT_TRUE(s_cupsd->AddInstance(m_queue, "held", "job-hold-until=indefinite"));
    EXPECT_EQ(std::ranges::count(Spooler::ListQueues(), m_queue + "/twice"), 1);
    ASSERT_EQ(Open(m_queue + "/unknown"), 1u) << "the spooler is asked on the write thread";
    EXPECT_EQ(ErrorOf(kPortOpened), kSpoolErrUnknownPrinter) << "an instance nobody saved";
    EXPECT_EQ(m_port.GetSpoolFailure().fault, SpoolFault::UnknownQueue);
    for (const std::string instance : {"held", "twice"}) {
        SCOPED_TRACE(instance);
        Reopen(m_queue + "/" + instance);
        ASSERT_EQ(WriteBytes(m_port, instance), 1u);
        EXPECT_EQ(ErrorOf(kPortWriteDone), 0);
        EXPECT_EQ(m_port.GetSpoolFailure().fault, SpoolFault::None);
    }
    const std::vector<CapturedJob> jobs = s_cupsd->Jobs(m_queue);
    ASSERT_EQ(jobs.size(), 1u) << "the held job printed";
    EXPECT_EQ(jobs[0].data, "twice");
    EXPECT_EQ(jobs[0].copies, 2);
}

// A job that never finishes printing keeps its write or pass under way until
// close or stop cut it; neither waits for the printer.
TEST_F(PrinterPortTest, CloseAndStopCutAJobThatNeverFinishesPrinting)
{
    OpenQueue(&CPrivateCupsd::AddStallingQueue);
    ASSERT_EQ(WriteBytes(m_port, "stalls"), 1u);
    m_port.ClosePort();
    EXPECT_EQ(m_owner.CountOf(kPortWriteDone), 0) << "a closed port reports nothing";

    ASSERT_EQ(Open(m_queue), 1u);
    ASSERT_EQ(m_port.SendFile(TestFile("one pass").c_str(), 1, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileProgress)); // the pass's job is being watched
    EXPECT_EQ(m_port.StopSendFile(), 1u);
    for (const uint16_t code : {kPortFilePassDone, kPortFileDone, kPortFileFailed})
        EXPECT_EQ(m_owner.CountOf(code), 0) << "no notification follows a stop: code " << code;
}

// A close while the write thread still looks for the queue of an asynchronous
// open cuts the look instead of waiting until the spooler gives up on it.
TEST_F(PrinterPortTest, CloseCutsTheLookForTheQueueOnAFrozenSpooler)
{
    AddQueue();
    s_cupsd->Freeze();
    ASSERT_EQ(Open(m_queue), 1u);
    m_port.ClosePort();
    EXPECT_TRUE(s_cupsd->IsFrozen());
    EXPECT_EQ(m_owner.CountOf(kPortOpened), 0);
    EXPECT_EQ(m_port.GetSpoolFailure().fault, SpoolFault::None) << "the look was not cut";
}

// A scheduler that takes connections and never answers: every call gives up
// in time, and stop and close cut what is under way. A hang is caught by the
// test's time-out.
TEST_F(PrinterPortTest, FrozenSpoolerFailsWritesAndNeverHoldsStopOrClose)
{
    OpenQueue();
    s_cupsd->Freeze();
    EXPECT_EQ(WriteBytes(m_port, "frozen"), 1u) << "Write does not ask the spooler";
    EXPECT_EQ(ErrorOf(kPortWriteDone), kSpoolErrTimeout);
    EXPECT_EQ(m_port.GetSpoolFailure().fault, SpoolFault::NotAnswering);
    EXPECT_EQ(m_port.GetLastError(), kSpoolErrTimeout);
    m_port.ClosePort();
    EXPECT_EQ(Open(m_queue), 1u) << "an asynchronous open does not ask the spooler";
    EXPECT_EQ(ErrorOf(kPortOpened, 2, 3 * CTestPortOwner::kWait), kSpoolErrTimeout);
    m_port.ClosePort();
    s_cupsd->Thaw();
    Reopen(m_queue);
    s_cupsd->Freeze();

    ASSERT_EQ(m_port.SendFile(TestFile(PatternBytes(4096)).c_str(), -1, 0), 1u);
    EXPECT_EQ(m_port.StopSendFile(), 1u);
    EXPECT_TRUE(s_cupsd->IsFrozen()) << "the stop came back by itself, not by a thaw";
    EXPECT_EQ(m_owner.CountOf(kPortFileFailed), 0) << "no notification follows a stop";

    s_cupsd->Thaw();
    ASSERT_EQ(WriteBytes(m_port, "cut short"), 1u);
    s_cupsd->Freeze(); // the job is under way: sent, or printing and watched
    m_port.ClosePort();
    EXPECT_TRUE(s_cupsd->IsFrozen());
}

} // namespace
