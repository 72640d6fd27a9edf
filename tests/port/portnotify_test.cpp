// The notification bridge between port threads and the owner's thread.
#include "port/portnotify.h"
#include "portowner.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <future>

namespace {

class PortNotifierTest : public testing::Test
{
protected:
    void SetUp() override { m_notifier.Attach(m_owner.Object(), 0); }

    CTestPortOwner m_owner;
    CPortNotifier m_notifier;
};

} // namespace

TEST(PortNotifier, SentOnTheOwnersThreadIsHandledBeforeSendReturns)
{
    CWindowOwner owner;
    CPortNotifier notifier;
    notifier.Attach(&owner, 0);
    EXPECT_TRUE(notifier.Send(kPortWriteDone, 0, 0));
    EXPECT_EQ(owner.CountOf(kPortWriteDone), 1); // no event loop ran
    notifier.Post(kPortOpened, 0, 0);
    EXPECT_EQ(owner.messages.size(), 1u); // posted: only through the event loop
    EXPECT_TRUE(owner.WaitForCode(kPortOpened));
    notifier.Detach();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(PortNotifierTest, DetachReleasesASenderWhoseOwnerIsBusy)
{
    m_owner.Block();
    m_notifier.Post(kPortOpened, 0, 0);
    auto sent =
        std::async(std::launch::async, [&] { return m_notifier.Send(kPortDataArrived, 0, 0); });
    ASSERT_TRUE(WaitForPendingSends(1));
    m_notifier.Detach();
    ASSERT_EQ(sent.wait_for(CTestPortOwner::kWait), std::future_status::ready);
    EXPECT_FALSE(sent.get());
    m_notifier.Post(kPortLost, 0, 0); // after detaching: nobody to tell
    m_owner.Unblock();
    // Posted before the detach still arrives; the released send does not.
    EXPECT_EQ(m_owner.Codes(), std::vector<uint16_t>{kPortOpened});
}

TEST_F(PortNotifierTest, DeletedOwnerLosesNotificationsAndSendersCarryOn)
{
    m_owner.DeleteOwner();
    auto sent = std::async(std::launch::async, [&] {
        m_notifier.Post(kPortFileDone, 0, 0);
        return m_notifier.Send(kPortWriteDone, 0, 0);
    });
    ASSERT_EQ(sent.wait_for(CTestPortOwner::kWait), std::future_status::ready);
    EXPECT_FALSE(sent.get());
    EXPECT_TRUE(m_owner.Codes().empty());
}
