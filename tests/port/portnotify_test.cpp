// The notification bridge between port threads and the owner's thread.
#include "portnotify.h"
#include "portowner.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace {

class PortNotifierTest : public testing::Test
{
protected:
    void SetUp() override { m_notifier.Attach(m_owner.Object(), 0); }

    CTestPortOwner m_owner;
    CPortNotifier m_notifier;
};

} // namespace

TEST(PortMessage, RegisteredOncePerNameAndCarriesCodeErrorAndValue)
{
    const QEvent::Type first = RegisterPortMessage(kPortDefaultMessageName);
    EXPECT_EQ(first, RegisterPortMessage("CPortEx_DefaultPortMsg"));
    EXPECT_EQ(first, PortDefaultMessage());
    EXPECT_NE(first, RegisterPortMessage("Tarvik_SomeOtherMessage"));
    const CPortMsgEvent msg(PortDefaultMessage(), kPortOpened, 10061, 0x12345678);
    EXPECT_EQ(msg.WParam(), 3u | (10061u << 16));
    EXPECT_EQ(msg.LParam(), 0x12345678u);
}

// A send returns once the (slow) owner handled it; posts arrive in order.
TEST_F(PortNotifierTest, FromAnotherThreadSentIsHandledAtReturnAndPostedArriveInOrder)
{
    std::atomic<bool> handled{false};
    m_owner.SetHandler([&](const PortMsg &msg) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        handled = msg.code == kPortDataArrived;
    });
    std::thread([&] {
        EXPECT_TRUE(m_notifier.Send(kPortDataArrived, 0, 1));
        EXPECT_TRUE(handled);
        m_notifier.Post(kPortFileProgress, 0, 50);
        m_notifier.Post(kPortLost, 10054, 7);
    }).join();
    ASSERT_TRUE(m_owner.WaitForCode(kPortLost));
    const auto messages = m_owner.Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[1].code, kPortFileProgress);
    EXPECT_EQ(messages[1].lParam, 50u);
    EXPECT_EQ(messages[2].error, 10054);
    EXPECT_EQ(messages[2].lParam, 7u);
}

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
    m_owner.Sync();
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
    m_owner.Sync();
    EXPECT_TRUE(m_owner.Codes().empty());
}

TEST(PortNotifier, CustomMessageNumberAndNullOwner)
{
    const QEvent::Type custom = RegisterPortMessage("Tarvik_TestMessage");
    CTestPortOwner owner(custom);
    CPortNotifier notifier;
    notifier.Attach(owner.Object(), uint32_t(custom));
    notifier.Post(kPortOpened, 0, 9);
    ASSERT_TRUE(owner.WaitForCode(kPortOpened));
    EXPECT_EQ(owner.Messages()[0].lParam, 9u);
    CPortNotifier detached;
    detached.Attach(nullptr, 0);
    EXPECT_FALSE(detached.Send(kPortWriteDone, 0, 0));
}
