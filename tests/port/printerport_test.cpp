// The printer-driver kind against a private cupsd with raw capture queues.
#include "printerport.h"

#include "portowner.h"
#include "realport.h"
#include "support/bytes_diff.h"
#include "support/privatecupsd.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

tagPRINTER_CFG Settings(const std::string &queue)
{
    tagPRINTER_CFG cfg{};
    std::strncpy(cfg.szPrinter, queue.c_str(), sizeof cfg.szPrinter - 1);
    cfg.dwMarker = kCfgMarkerValid;
    return cfg;
}

class PrinterPortTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_cupsd = std::make_unique<CPrivateCupsd>();
        s_ready = s_cupsd->Start(s_whyNot);
    }
    static void TearDownTestSuite() { s_cupsd.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(s_ready) << "the private cupsd could not start: " << s_whyNot;
        m_queue = "tarvik_" + std::to_string(++s_queues);
        std::string whyNot;
        ASSERT_TRUE(s_cupsd->AddRawQueue(m_queue, whyNot)) << whyNot;
        const tagPRINTER_CFG cfg = Settings(m_queue);
        ASSERT_EQ(m_port.SetPortSettings(&cfg), 1u);
        ASSERT_EQ(m_port.OpenPort(m_owner.Object(), 1, 9, 0), 1u) << m_port.GetLastError();
        ASSERT_TRUE(m_owner.WaitForCode(kPortOpened));
    }
    void TearDown() override { m_port.ClosePort(); }

    static inline std::unique_ptr<CPrivateCupsd> s_cupsd;
    static inline bool s_ready = false;
    static inline std::string s_whyNot;
    static inline int s_queues = 0;

    std::string m_queue;
    CTestPortOwner m_owner;
    CPrinterPort m_port;
};

TEST_F(PrinterPortTest, EachWriteIsOneRawJobTitledTarvik)
{
    const std::vector<std::string> queues = Spooler::ListQueues();
    EXPECT_NE(std::find(queues.begin(), queues.end(), m_queue), queues.end());
    const std::string first = PatternBytes(300) + std::string("\x1B@\r\n\x1DV\x00 end", 10);
    uint32_t written = 0;
    ASSERT_EQ(WriteBytes(m_port, first, &written, 0), 1u);
    EXPECT_EQ(written, first.size());
    EXPECT_EQ(m_owner.CountOf(kPortWriteDone), 1) << "code 2 is sent before Write returns";
    EXPECT_EQ(WriteBytes(m_port, "", nullptr, 0), 1u);
    ASSERT_EQ(WriteBytes(m_port, "second", nullptr, 0), 1u);

    const std::vector<CapturedJob> jobs = s_cupsd->WaitForJobs(m_queue, 2);
    ASSERT_EQ(jobs.size(), 2u) << "an empty Write makes no job";
    EXPECT_TRUE(SameBytes(first, jobs[0].data));
    EXPECT_EQ(jobs[1].data, "second");
    for (const CapturedJob &job : jobs)
        EXPECT_EQ(job.title, kPrinterJobTitle);
}

} // namespace
