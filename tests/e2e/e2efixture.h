// End-to-end fixture: the program's window with the port library's own port
// classes against a real endpoint of each port kind (a CE2eFarEnd, which
// accumulates every byte that reaches it). CE2eWindow drives a session: open,
// send, check the far end's bytes, offer bytes and check the receive box,
// close. A new user-level step is a click followed by ExpectAtFarEnd.
#pragma once

#include "viewsandbox.h"

#include "widgets/editex.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

// Stops the calling test function when a fixture step failed.
#define E2E_STEP(step)                                                                             \
    do {                                                                                           \
        step;                                                                                      \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

namespace E2e {
// Only a bound on hangs: port threads, the scheduler and the sanitizers may
// all be slow on a loaded machine.
inline constexpr int kWaitMs = 30000;

// The one user command every window starts with, and its bytes.
inline constexpr const char *kCommandName = "e2e";
inline constexpr const char *kCommandValue = "1B,40,E2,00,FF,0A";

} // namespace E2e

class CE2eFarEnd
{
public:
    virtual ~CE2eFarEnd() = default;

    virtual PortKind Kind() const = 0;
    // Sets the endpoint up; false with the reason when this machine cannot.
    virtual bool Prepare(QString &whyNot) = 0;
    // The window is built with these (no factory: the port library's ports;
    // no providers: the system's device and printer lists).
    virtual CTarvikView::PortFactory Factory() { return {}; }
    virtual std::optional<PanelProviders> Providers() { return std::nullopt; }
    // What a user does in the kind's panel before clicking open.
    virtual void SetUpPanel(CFramedView &framed) = 0;
    // Runs once the window says the port is open (a peer accepts here).
    virtual void OnOpened() {}
    // Every byte that reached the far end since Prepare; never blocks.
    virtual QByteArray Arrived() = 0;
    // Whether the kind hands the far end's bytes to the window.
    virtual bool CanAnswer() const { return false; }
    virtual void Offer(const QByteArray &bytes) { Q_UNUSED(bytes); }
    // What a user does before received bytes can show (USB starts paused).
    virtual void EnableReceive(CFramedView &framed) { Q_UNUSED(framed); }
    // Checks, with QVERIFY, what the far end must see once the port closed
    // (the endpoint free again, the jobs complete).
    virtual void CheckAfterClose() {}
};

// "network", "serial", "parallel", "printer", "usb"; null for any other
// name.
std::unique_ptr<CE2eFarEnd> MakeFarEnd(const QString &name);
QStringList FarEndNames();

class CE2eWindow
{
public:
    explicit CE2eWindow(CE2eFarEnd &farEnd) : m_farEnd(farEnd) {}

    CFramedView &Framed() { return *m_framed; }
    CEditEx *SendBox() const { return m_framed->SendBox(); }
    CRecvView *RecvBox() const { return m_framed->RecvBox(); }

    // After the far end is prepared: builds the window, selects the far end's kind, sets its panel
    // up, clicks "打开端口" and waits for the port to open.
    void Open();
    // Clears the send box, picks the notation, types `typed` (a line break
    // as the Return key) and clicks the send button.
    void SendFromBox(const QString &typed, bool hex);
    // Waits until `expected` has arrived after everything expected before,
    // and compares the far end's bytes since then with it.
    void ExpectAtFarEnd(const QByteArray &expected);
    // The far end sends `bytes`; waits until the receive box holds the whole
    // history exactly.
    void OfferAndExpectInRecvBox(const QByteArray &bytes);
    void ClickCommandButton();
    // Chooses a file of `content` with "选择文件", sends it `passes` times
    // with button 1037 and waits until the counter shows the passes done.
    void SendFileInPasses(const QByteArray &content, int passes);
    // Clicks "关闭端口", checks the closed window, that nothing but the
    // expected bytes reached the far end, and that the endpoint is free.
    void Close();

private:
    CE2eFarEnd &m_farEnd;
    CViewSandbox m_sandbox;
    std::unique_ptr<CFramedView> m_framed;
    QByteArray m_expectedAtFarEnd; // everything expected so far, in order
    QByteArray m_recvHistory;      // everything the far end offered
};
