// The notification bridge between port threads and the owner's thread.
#include "portnotify.h"
#include "portowner.h"

#include <QCoreApplication>
#include <QObject>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

using namespace std::chrono_literals;

namespace {

bool WaitForPendingSends(int count)
{
    const auto deadline = std::chrono::steady_clock::now() + CTestPortOwner::kWait;
    while (CPortNotifier::PendingSends() != count) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// An owner on the calling (main) thread, for deliveries raised on the owner's own thread.
class CLocalOwner : public QObject
{
public:
    std::vector<uint16_t> codes;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() != PortDefaultMessage())
            return QObject::event(e);
        codes.push_back(static_cast<CPortMsgEvent *>(e)->Code());
        return true;
    }
};

} // namespace

TEST(PortMessage, RegisteredOncePerName)
{
    const QEvent::Type first = RegisterPortMessage(kPortDefaultMessageName);
    EXPECT_EQ(first, RegisterPortMessage("CPortEx_DefaultPortMsg"));
    EXPECT_EQ(first, PortDefaultMessage());
    EXPECT_GE(int(first), int(QEvent::User));
    EXPECT_NE(first, RegisterPortMessage("Tarvik_SomeOtherMessage"));
}

TEST(PortMessage, EventCarriesCodeErrorAndValue)
{
    const CPortMsgEvent msg(PortDefaultMessage(), kPortOpened, 10061, 0x12345678);
    EXPECT_EQ(msg.WParam() & 0xFFFF, 3u);
    EXPECT_EQ(msg.WParam() >> 16, 10061u);
    EXPECT_EQ(msg.LParam(), 0x12345678u);
}

TEST(PortNotifier, PostedFromAnotherThreadArriveInOrder)
{
    CTestPortOwner owner;
    CPortNotifier notifier;
    notifier.Attach(owner.Object(), 0);
    EXPECT_EQ(notifier.Message(), uint32_t(PortDefaultMessage()));
    std::thread([&] {
        notifier.Post(kPortFileProgress, 0, 50);
        notifier.Post(kPortLost, 10054, 7);
    }).join();
    ASSERT_TRUE(owner.WaitForCode(kPortLost));
    const auto messages = owner.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].code, kPortFileProgress);
    EXPECT_EQ(messages[0].lParam, 50u);
    EXPECT_EQ(messages[1].error, 10054);
    EXPECT_EQ(messages[1].lParam, 7u);
}

TEST(PortNotifier, SentFromAnotherThreadReturnsAfterTheOwnerHandledIt)
{
    CTestPortOwner owner;
    std::atomic<bool> handled{false};
    owner.SetHandler([&](const PortMsg &) {
        std::this_thread::sleep_for(20ms); // a slow handler must still finish first
        handled = true;
    });
    CPortNotifier notifier;
    notifier.Attach(owner.Object(), 0);
    bool result = false;
    std::thread([&] { result = notifier.Send(kPortDataArrived, 0, 1); }).join();
    EXPECT_TRUE(result);
    EXPECT_TRUE(handled);
}

TEST(PortNotifier, SentOnTheOwnersThreadIsHandledBeforeSendReturns)
{
    CLocalOwner owner;
    CPortNotifier notifier;
    notifier.Attach(&owner, 0);
    EXPECT_TRUE(notifier.Send(kPortWriteDone, 0, 0));
    ASSERT_EQ(owner.codes.size(), 1u); // no event loop ran in between
    EXPECT_EQ(owner.codes[0], kPortWriteDone);
    notifier.Post(kPortOpened, 0, 0);
    EXPECT_EQ(owner.codes.size(), 1u); // posted: only through the event loop
    EXPECT_TRUE(ProcessEventsUntil([&] { return owner.codes.size() == 2; }));
    notifier.Detach();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(PortNotifier, DetachReleasesASenderWhoseOwnerIsBusyAndDropsTheDelivery)
{
    CTestPortOwner owner;
    CPortNotifier notifier;
    notifier.Attach(owner.Object(), 0);
    owner.Block();
    auto sent =
        std::async(std::launch::async, [&] { return notifier.Send(kPortDataArrived, 0, 0); });
    ASSERT_TRUE(WaitForPendingSends(1));
    notifier.Detach();
    ASSERT_EQ(sent.wait_for(CTestPortOwner::kWait), std::future_status::ready);
    EXPECT_FALSE(sent.get());
    owner.Unblock();
    owner.RunOnOwnerThread([] {}); // everything queued before this has been handled
    EXPECT_TRUE(owner.Codes().empty());
}

TEST(PortNotifier, PostedBeforeDetachStillReachAnExistingOwner)
{
    CTestPortOwner owner;
    CPortNotifier notifier;
    notifier.Attach(owner.Object(), 0);
    owner.Block();
    notifier.Post(kPortOpened, 0, 0);
    notifier.Detach();
    notifier.Post(kPortLost, 0, 0); // after detaching: nobody to tell
    owner.Unblock();
    owner.RunOnOwnerThread([] {});
    EXPECT_EQ(owner.Codes(), std::vector<uint16_t>{kPortOpened});
}

TEST(PortNotifier, DeletedOwnerLosesNotificationsAndSendersCarryOn)
{
    CTestPortOwner owner;
    CPortNotifier notifier;
    notifier.Attach(owner.Object(), 0);
    owner.DeleteOwner();
    auto sent = std::async(std::launch::async, [&] {
        notifier.Post(kPortFileDone, 0, 0);
        return notifier.Send(kPortWriteDone, 0, 0);
    });
    ASSERT_EQ(sent.wait_for(CTestPortOwner::kWait), std::future_status::ready);
    EXPECT_FALSE(sent.get());
    owner.RunOnOwnerThread([] {});
    EXPECT_TRUE(owner.Codes().empty());
}

TEST(PortNotifier, CustomMessageNumberAndNullOwner)
{
    const QEvent::Type custom = RegisterPortMessage("Tarvik_TestMessage");
    CTestPortOwner owner(custom);
    CPortNotifier notifier;
    notifier.Attach(owner.Object(), uint32_t(custom));
    EXPECT_EQ(notifier.Message(), uint32_t(custom));
    notifier.Post(kPortOpened, 0, 9);
    ASSERT_TRUE(owner.WaitForCode(kPortOpened));
    EXPECT_EQ(owner.Messages()[0].lParam, 9u);

    CPortNotifier detached;
    detached.Attach(nullptr, 0);
    EXPECT_FALSE(detached.IsAttached());
    EXPECT_FALSE(detached.Send(kPortWriteDone, 0, 0));
}
