#include "app/democheck.h"

#include "usercmd/usercommandview.h"
#include "view/form/viewids.h"
#include "view/recv/recvview.h"
#include "view/tarvikview.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

constexpr int kPollMs = 50;
constexpr int kDefaultLimitMs = 20000;
// The demo's status request: DLE EOT 1, which the simulator answers with 12.
const QByteArray kRequest = QByteArrayLiteral("\x10\x04\x01");
const QString kReplyHex = QStringLiteral("12");

int LimitMs()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("TARVIK_DEMO_CHECK", &ok);
    return ok && seconds > 1 ? seconds * 1000 : kDefaultLimitMs;
}

void Finish(bool passed, const QString &what)
{
    std::fprintf(passed ? stdout : stderr, "tarvik demo check: %s: %s\n",
                 passed ? "passed" : "FAILED", qPrintable(what));
    std::fflush(nullptr);
    QApplication::exit(passed ? 0 : 1);
}

// Polls `done` on the window thread until it holds or the time runs out;
// the poll goes with `view`.
void WaitFor(CTarvikView &view, std::function<bool()> done, std::function<void()> then,
             const QString &waitingFor)
{
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    auto timer = new QTimer(&view);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        if (done()) {
            timer->deleteLater();
            then();
        } else if (clock->elapsed() > LimitMs()) {
            timer->deleteLater();
            Finish(false, QStringLiteral("timed out waiting for ") + waitingFor);
        }
    });
    timer->start(kPollMs);
}

// Dialogs shown at start (the about box) would hide the window from a user;
// the check closes them as a user would.
void CloseModalDialogs()
{
    while (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
        dialog->reject();
}

QPushButton *RequestButton(CTarvikView &view)
{
    CUserCommandView *strip = view.CommandStrip();
    if (!strip)
        return nullptr;
    const auto &records = strip->Records();
    const auto buttons = strip->Buttons();
    for (qsizetype i = 0; i < records.size() && i < buttons.size(); ++i)
        if (records[i].data == kRequest)
            return buttons[i];
    return nullptr;
}

void SendAndAwaitReply(CTarvikView &view)
{
    CloseModalDialogs();
    QPushButton *button = RequestButton(view);
    auto *recv = view.findChild<CRecvView *>(ViewId::Name(ViewId::kRecvBox));
    auto *hex = view.findChild<QAbstractButton *>(ViewId::Name(ViewId::kHexRecv));
    if (!button || !recv || !hex) {
        Finish(false, QStringLiteral("the demo configuration has no status request button "
                                     "(10 04 01); remove demo/rvcfg.ini to write it anew"));
        return;
    }
    if (!hex->isChecked())
        hex->click();
    button->click();
    const QString name = button->text();
    WaitFor(
        view, [recv] { return recv->WholeText().contains(kReplyHex); },
        [recv, name] {
            Finish(true, QStringLiteral("opened the port, sent \"%1\" (10 04 01), "
                                        "received %2")
                             .arg(name, recv->WholeText().trimmed()));
        },
        QStringLiteral("the printer's reply 12 in the receive view"));
}

void OpenPort(CTarvikView &view)
{
    CloseModalDialogs();
    auto *open = view.findChild<QAbstractButton *>(ViewId::Name(ViewId::kOpenClose));
    auto *send = view.findChild<QAbstractButton *>(ViewId::Name(ViewId::kSend));
    if (!open || !send) {
        Finish(false, QStringLiteral("no open or send button"));
        return;
    }
    open->click();
    // The port exists from the click on, but takes bytes only once its open
    // result came; a command clicked before then would send nothing.
    WaitFor(
        view, [send] { return send->isEnabled(); }, [&view] { SendAndAwaitReply(view); },
        QStringLiteral("the port to open"));
}

} // namespace

bool DemoCheckRequested()
{
    return qEnvironmentVariableIsSet("TARVIK_DEMO_CHECK");
}

void StartDemoCheck(CTarvikView &view)
{
    QObject::connect(
        &view, &CTarvikView::startupDone, &view,
        [&view] { QTimer::singleShot(kPollMs, &view, [&view] { OpenPort(view); }); },
        Qt::QueuedConnection);
    // A start-up that never finishes fails the check too.
    QTimer::singleShot(LimitMs(), &view, [&view] {
        if (!view.CommandStrip())
            Finish(false, QStringLiteral("the window did not finish starting"));
    });
}
