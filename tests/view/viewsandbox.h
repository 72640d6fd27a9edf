// Test support: a fresh current directory (a test that puts "rvcfg.ini" there
// has the view use it), a fresh user configuration folder (XDG_CONFIG_HOME,
// used otherwise), a registry folder and a cleared settings block for every
// test, and a frame around the view. The about box at start is switched off in
// the registry folder; a test that wants it removes the value.
#pragma once

#include "app/viewhookup.h"
#include "config/regmanage.h"
#include "convert/boxtext.h"
#include "messageboxwatcher.h"
#include "panels/ethportcfgdlg.h"
#include "panels/portcfgpanel.h"
#include "port/devicemap.h"
#include "port/portcfg.h"
#include "shell/extlabel.h"
#include "shell/extstatuscontrolbar.h"
#include "shell/mainframe.h"
#include "shell/statusmessenger.h"
#include "stringtable.h"
#include "view/form/viewids.h"
#include "view/recv/recvview.h"
#include "view/tarvikview.h"
#include "widgets/editex.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSettings>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <memory>
#include <optional>
#include <span>

#include <unistd.h>

namespace ViewText {
inline const QString kOpenCaption = QStringLiteral("打开端口");
inline const QString kCloseCaption = QStringLiteral("关闭端口");
inline const QString kOpened = QStringLiteral("打开端口成功！");
inline const QString kOpenFailed = QStringLiteral("打开端口失败，请检查参数是否正确！");
inline const QString kClosed = QStringLiteral("端口已关闭");
inline const QString kReady = QStringLiteral("就绪");
} // namespace ViewText

inline constexpr PortKind kAllKinds[] = {PortKind::Serial, PortKind::Parallel, PortKind::Usb,
                                         PortKind::Network, PortKind::Printer};

// Only a bound on hangs: port threads may be slow on a loaded machine.
inline constexpr int kPortWaitMs = 20000;

inline QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int value : values)
        bytes.append(char(value));
    return bytes;
}

inline QByteArray EveryByteValue()
{
    QByteArray bytes;
    for (int value = 0; value < 256; ++value)
        bytes.append(char(value));
    return bytes;
}

inline QByteArray BoxBytes(const CEditEx *box)
{
    ByteString bytes;
    const ConvResult result = box->GetData(bytes);
    return result > 0 ? QByteArray(reinterpret_cast<const char *>(bytes.data()), result)
                      : QByteArray();
}

// The bytes the receive view's whole text stands for, read back as the send
// box would read it.
inline QByteArray ShownBytes(const CRecvView *view)
{
    const QString text = view->WholeText();
    ByteString gbk;
    ByteString bytes;
    if (text.isEmpty() || IsConvError(GbkFromBoxText(text, gbk)))
        return {};
    const ConvResult result =
        view->IsHexNotation() ? HexToBytes(gbk.view(), bytes) : AsciiToBytes(gbk.view(), bytes);
    return result > 0 ? QByteArray(reinterpret_cast<const char *>(bytes.data()), result)
                      : QByteArray();
}

// The same `size` bytes for the same seed.
inline QByteArray PseudoRandom(qint64 size, quint32 seed)
{
    QByteArray bytes((size + 3) / 4 * 4, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    bytes.truncate(size);
    return bytes;
}

inline std::span<const uint8_t> ViewOf(const QByteArray &bytes)
{
    return {reinterpret_cast<const uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
}

// The text the receive box shows for `bytes` in each notation.
inline QString AsciiRendering(const QByteArray &bytes)
{
    ByteString text;
    BytesToAscii(ViewOf(bytes), text);
    return BoxTextFromGbk(text.view());
}

inline QString HexRendering(const QByteArray &bytes)
{
    ByteString text;
    BytesToHex(ViewOf(bytes), text);
    return QString::fromLatin1(text.c_str());
}

inline QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Everything readable on a non-blocking descriptor now.
inline QByteArray ReadAvailable(int fd)
{
    QByteArray bytes;
    char buffer[65536];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, n);
    return bytes;
}

// Sends one wheel notch; true when someone took it.
inline bool Wheel(QWidget *target, int delta)
{
    const QPointF at(5, 5);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
    return event.isAccepted();
}

inline bool WriteFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class CViewSandbox
{
public:
    CViewSandbox()
        : m_previousDir(QDir::currentPath()),
          m_hadConfigHome(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")),
          m_previousConfigHome(qgetenv("XDG_CONFIG_HOME"))
    {
        PortCfgData() = {}; // as in a process that has just started
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_registry.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_registry.path());
        QDir::setCurrent(m_workDir.path());
        CRegManage().WriteDword(QStringLiteral("NoAutoShowAbout"), 1);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_configHome.path()));
    }
    ~CViewSandbox()
    {
        QDir::setCurrent(m_previousDir);
        if (!m_hadConfigHome)
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", m_previousConfigHome);
    }
    CViewSandbox(const CViewSandbox &) = delete;
    CViewSandbox &operator=(const CViewSandbox &) = delete;

    QString WorkDir() const { return m_workDir.path(); }
    QString IniPath() const { return m_workDir.filePath(QStringLiteral("rvcfg.ini")); }
    // Where the view keeps its file when the start folder holds none.
    QString UserIniPath() const
    {
        return m_configHome.filePath(QStringLiteral("Tarvik/rvcfg.ini"));
    }
    QString Path(const QString &name) const { return m_workDir.filePath(name); }

private:
    QString m_previousDir;
    bool m_hadConfigHome;
    QByteArray m_previousConfigHome;
    QTemporaryDir m_workDir;
    QTemporaryDir m_configHome;
    QTemporaryDir m_registry;
};

// The main frame with the view inside, as the program shows it. Without a
// factory the view opens the port library's ports; without providers
// (std::nullopt) the panels see the system's devices and printer queues.
class CFramedView
{
public:
    explicit CFramedView(const CTarvikView::PortFactory &factory = {},
                         const std::optional<PanelProviders> &providers = PanelProviders{})
        : m_frame(m_reg)
    {
        m_view = new CTarvikView;
        if (factory)
            m_view->SetPortFactory(factory);
        if (providers)
            m_view->SetPanelProviders(*providers);
        PlugMainView(m_frame, m_view);
        m_frame.show();
    }

    CTarvikView *View() const { return m_view; }
    CMainFrame &Frame() { return m_frame; }
    CPortCfgPanel *Panel() const { return m_view->PortPanel(); }

    // Waits for the start-up tick that creates the panel and lays out.
    bool WaitForStartup()
    {
        return QTest::qWaitFor([this] { return m_view->PortPanel(); }, 2000);
    }

    QString StatusText() const
    {
        CExtStatusControlBar *bar = m_frame.StatusBar();
        return bar->GetPaneText(bar->CommandToIndex(0));
    }
    bool StatusIsError() const
    {
        return m_frame.Messenger()->Label()->TextColour() == QColor(CExtLabel::kErrorColour);
    }
    bool StatusIsHint() const
    {
        return m_frame.Messenger()->Label()->TextColour() == QColor(CExtLabel::kHintColour);
    }

    template <typename Control> Control *Find(int id) const
    {
        return m_view->findChild<Control *>(QString::number(id), Qt::FindDirectChildrenOnly);
    }
    QPushButton *Button(int id) const { return Find<QPushButton>(id); }
    QPushButton *OpenButton() const { return Button(ViewId::kOpenClose); }
    void ClickOpenClose() const { QTest::mouseClick(OpenButton(), Qt::LeftButton); }
    void SelectKind(PortKind kind) const
    {
        Find<QComboBox>(ViewId::kPortKind)->setCurrentIndex(int(kind));
    }
    // Chooses `path` for file sending, the open dialog answered with it.
    void ChooseFile(const QString &path) const
    {
        m_view->SetOpenFileChooser([path](const QString &) { return path; });
        Button(ViewId::kSelectFile)->click();
    }
    CEditEx *SendBox() const { return Find<CEditEx>(ViewId::kSendBox); }
    CRecvView *RecvBox() const { return Find<CRecvView>(ViewId::kRecvBox); }

    // Types the target into the network panel as a user does; no events run.
    void TypeNetworkTarget(quint16 port) const
    {
        TypeNetworkTarget(QStringLiteral("127.0.0.1"), QString::number(port));
    }
    void TypeNetworkTarget(const QString &host, const QString &port) const
    {
        auto *hostEdit = FindPanelControl<QComboBox>(Panel(), kEthHostId);
        auto *portEdit = FindPanelControl<QLineEdit>(Panel(), kEthPortId);
        QVERIFY(hostEdit && portEdit);
        hostEdit->lineEdit()->clear();
        QTest::keyClicks(hostEdit->lineEdit(), host);
        portEdit->clear();
        QTest::keyClicks(portEdit, port);
    }
    // Clicks open with the network kind on `port`; the open is still pending.
    void OpenNetwork(quint16 port) const
    {
        SelectKind(PortKind::Network);
        TypeNetworkTarget(port);
        ClickOpenClose();
    }
    // Opens the network kind against `server`: the accepted connection (the
    // server owns it) once the port is usable, else null.
    QTcpSocket *OpenAgainst(QTcpServer &server) const
    {
        OpenNetwork(server.serverPort());
        if (!QTest::qWaitFor([&] { return server.hasPendingConnections(); }, kPortWaitMs))
            return nullptr;
        QTcpSocket *peer = server.nextPendingConnection();
        const bool usable =
            QTest::qWaitFor([this] { return Button(ViewId::kSend)->isEnabled(); }, kPortWaitMs);
        return usable ? peer : nullptr;
    }

private:
    CRegManage m_reg;
    CMainFrame m_frame;
    CTarvikView *m_view = nullptr;
};

// Base of view tests: a fresh sandbox for every test function and the framed
// view the function starts in it, dropped before the sandbox.
class CViewTestCase : public QObject
{
    Q_OBJECT

protected slots:
    void init() { m_sandbox = std::make_unique<CViewSandbox>(); }
    void cleanup()
    {
        m_framed.reset();
        m_peer = nullptr;
        m_server.reset();
        m_sandbox.reset();
        ClearDeviceOverrides();
    }

protected:
    void Start(const CTarvikView::PortFactory &factory = {},
               const std::optional<PanelProviders> &providers = PanelProviders{})
    {
        m_framed.reset();
        m_framed = std::make_unique<CFramedView>(factory, providers);
        QVERIFY(m_framed->WaitForStartup());
    }
    // The port library's ports on the system's devices.
    void StartWithSystemPorts() { Start({}, std::nullopt); }
    // Starts the window unless the test function did, and opens the network
    // kind against a fresh loopback server of the test.
    void OpenAgainstPeer()
    {
        if (!m_framed)
            Start();
        m_server = std::make_unique<QTcpServer>();
        QVERIFY(m_server->listen(QHostAddress::LocalHost, 0));
        m_peer = m_framed->OpenAgainst(*m_server);
        QVERIFY(m_peer);
    }
    void PeerSends(const QByteArray &bytes)
    {
        m_peer->write(bytes);
        m_peer->flush();
    }
    // The peer sends `bytes` with the receive counter on; every byte is counted.
    void PeerSendsCounted(const QByteArray &bytes, int waitMs = kPortWaitMs)
    {
        Find<QCheckBox>(ViewId::kCountRecv)->setChecked(true);
        PeerSends(bytes);
        QTRY_COMPARE_WITH_TIMEOUT(Find<QLineEdit>(ViewId::kRecvCount)->text(),
                                  QString::number(bytes.size()), waitMs);
    }
    // What the peer reads until `count` bytes came or the wait ended, and
    // anything beyond them: the caller compares.
    QByteArray PeerReceives(qsizetype count, int waitMs = kPortWaitMs)
    {
        QByteArray got;
        (void)QTest::qWaitFor([&] { return (got += m_peer->readAll()).size() >= count; }, waitMs);
        QTest::qWait(50); // anything beyond `count` would show up too
        return got + m_peer->readAll();
    }
    // Sends a file of `content` `passes` times, `intervalMs` apart; the
    // transfer has started.
    void StartFileSend(const QByteArray &content, int passes, int intervalMs = 0)
    {
        m_framed->ChooseFile(WriteFile("job.prn", content));
        Find<QLineEdit>(ViewId::kFileRepeat)->setText(QString::number(passes));
        Find<QLineEdit>(ViewId::kFileInterval)->setText(QString::number(intervalMs));
        Click(ViewId::kSendFile);
        QVERIFY(Button(ViewId::kStopFile)->isEnabled());
    }
    // A file of the work folder holding `content`: its path.
    QString WriteFile(const char *name, const QByteArray &content) const
    {
        const QString path = m_sandbox->Path(QString::fromUtf8(name));
        if (!WriteFileBytes(path, content))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // The started window's controls.
    template <typename Control> Control *Find(int id) const { return m_framed->Find<Control>(id); }
    QPushButton *Button(int id) const { return m_framed->Button(id); }
    void Click(int id) const { QTest::mouseClick(Find<QAbstractButton>(id), Qt::LeftButton); }
    void SendText(const QString &text) const
    {
        SendBox()->setPlainText(text);
        Click(ViewId::kSend);
    }
    CEditEx *SendBox() const { return m_framed->SendBox(); }
    CRecvView *RecvBox() const { return m_framed->RecvBox(); }
    QString StatusText() const { return m_framed->StatusText(); }
    // The status text, marked unless it shows in the colour of an error (or a hint).
    QString ErrorText() const { return Coloured(m_framed->StatusIsError()); }
    QString HintText() const { return Coloured(m_framed->StatusIsHint()); }
    QString Coloured(bool asExpected) const
    {
        return (asExpected ? QString() : QStringLiteral("(other colour) ")) + StatusText();
    }

    std::unique_ptr<CViewSandbox> m_sandbox;
    std::unique_ptr<CFramedView> m_framed;
    std::unique_ptr<QTcpServer> m_server;
    QTcpSocket *m_peer = nullptr;
};
