// Takes the user guide's screenshots: runs the program's own window on the
// current X display (tools/screenshot.sh starts one under Xvfb) and walks it
// through the steps a newcomer takes, saving a picture after each.
//
// The printer is a network printer inside this process: it listens on
// 127.0.0.1:PORT, answers real-time status requests as the printer simulator
// does, and takes data slowly, so that a file transfer stays on screen long
// enough to be seen.
//
//   tarvik-docshots PORT OUTDIR [FONTSCALE]   (run in a folder prepared by tarvik-democfg)
//
// FONTSCALE multiplies the point size of the application font, to see the
// form at a larger text size.
#include "app/mainwindow.h"
#include "shell/mainframe.h"
#include "shell/tarvikapp.h"
#include "statusparser.h"
#include "view/form/viewids.h"
#include "view/tarvikview.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRandomGenerator>
#include <QScreen>
#include <QTableWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

constexpr int kSinkChunk = 24 * 1024; // bytes taken per tick: about 1.2 MB/s
constexpr int kSinkTickMs = 20;
constexpr qint64 kDemoFileSize = 12 * 1024 * 1024;

// A network printer that drains its socket slowly and answers status requests.
class CSlowPrinter : public QObject
{
public:
    bool Listen(quint16 port)
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            m_client = m_server.nextPendingConnection();
            m_client->setReadBufferSize(kSinkChunk);
        });
        connect(&m_drain, &QTimer::timeout, this, &CSlowPrinter::Drain);
        m_drain.start(kSinkTickMs);
        return m_server.listen(QHostAddress::LocalHost, port);
    }

private:
    void Drain()
    {
        if (!m_client)
            return;
        const QByteArray bytes = m_client->read(kSinkChunk);
        const std::string answer =
            m_parser.Feed(reinterpret_cast<const uint8_t *>(bytes.constData()), bytes.size());
        if (!answer.empty())
            m_client->write(answer.data(), qint64(answer.size()));
    }

    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QTimer m_drain;
    CStatusParser m_parser;
};

// Runs its steps one after another on the window thread, each after a delay;
// a step may open a modal dialog, since the later steps run inside its loop.
class CTour
{
public:
    void Add(int delayMs, std::function<void()> step) { m_steps.push_back({delayMs, step}); }
    void Start() { RunFrom(0); }

private:
    void RunFrom(std::size_t index)
    {
        if (index >= m_steps.size())
            return;
        QTimer::singleShot(m_steps[index].delayMs, [this, index] {
            // Queue the next step first: this one may block in a dialog.
            RunFrom(index + 1);
            m_steps[index].run();
        });
    }

    struct Step
    {
        int delayMs;
        std::function<void()> run;
    };
    std::vector<Step> m_steps;
};

void Shoot(QWidget *window, const QString &path)
{
    QScreen *screen = window->screen();
    const QRect frame = window->frameGeometry();
    const QPixmap shot = screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    if (!shot.save(path))
        std::fprintf(stderr, "tarvik-docshots: cannot write %s\n", qPrintable(path));
    else
        std::printf("saved %s\n", qPrintable(path));
}

template <typename Control> Control *ViewControl(CTarvikView *view, int id)
{
    return view->findChild<Control *>(ViewId::Name(id));
}

void Click(CTarvikView *view, int id)
{
    if (auto *button = ViewControl<QAbstractButton>(view, id))
        button->click();
}

QString WriteDemoFile()
{
    const QString path = QDir::current().absoluteFilePath(QStringLiteral("demo-job.prn"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        QByteArray block(64 * 1024, '\0');
        for (qint64 written = 0; written < kDemoFileSize; written += block.size()) {
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(block.data()),
                                                  block.size() / 4);
            file.write(block);
        }
    }
    return path;
}

// Shoots the modal dialog on top once it is up, then lets `next` close it.
void ShootModal(const QString &path, const std::function<void(QDialog *)> &next)
{
    QTimer::singleShot(600, [path, next] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            std::fprintf(stderr, "tarvik-docshots: no dialog for %s\n", qPrintable(path));
            return;
        }
        Shoot(dialog, path);
        next(dialog);
    });
}

void AddTour(CTour &tour, CMainFrame *frame, CTarvikView *view, const QString &out)
{
    tour.Add(1500, [view] { Click(view, ViewId::kOpenClose); });
    tour.Add(800, [view] {
        auto *box = ViewControl<QPlainTextEdit>(view, ViewId::kSendBox);
        box->setPlainText(QStringLiteral("Hello from Tarvik, 你好打印机\n<\\x10><\\x04><\\x01>"));
        Click(view, ViewId::kSend);
        Click(view, ViewId::kHexRecv); // the printer's status answer, in hexadecimal
    });
    tour.Add(800, [frame, out] { Shoot(frame, out + QStringLiteral("/main-window.png")); });
    tour.Add(300, [frame, out] {
        QAction *presets = frame->CommandAction(CMainFrame::ID_PRESET_COMMANDS);
        if (!presets)
            return;
        ShootModal(out + QStringLiteral("/command-list.png"), [out](QDialog *list) {
            ShootModal(out + QStringLiteral("/command-edit.png"), [list](QDialog *edit) {
                edit->reject();
                list->reject();
            });
            // Open the fourth command for editing, as a double-click does.
            if (auto *table = list->findChild<QTableWidget *>(QStringLiteral("1045")))
                emit table->doubleClicked(table->model()->index(3, 1));
        });
        presets->trigger();
    });
    tour.Add(500, [view] {
        view->OnViewRequest(kRequestSelectFile, 0, WriteDemoFile());
        ViewControl<QLineEdit>(view, ViewId::kFileRepeat)->setText(QStringLiteral("2"));
        ViewControl<QLineEdit>(view, ViewId::kFileInterval)->setText(QStringLiteral("500"));
        Click(view, ViewId::kSendFile);
    });
    tour.Add(3000, [frame, out] { Shoot(frame, out + QStringLiteral("/file-transfer.png")); });
    tour.Add(100, [view] { Click(view, ViewId::kStopFile); });
    tour.Add(500, [] { QApplication::exit(0); });
}

} // namespace

int main(int argc, char **argv)
{
    CTarvikApp app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s PORT OUTDIR [FONTSCALE]\n", argv[0]);
        return 2;
    }
    if (argc == 4) {
        QFont font = QApplication::font();
        font.setPointSizeF(font.pointSizeF() * QString::fromLocal8Bit(argv[3]).toDouble());
        QApplication::setFont(font);
    }
    CSlowPrinter printer;
    if (!printer.Listen(quint16(QString::fromLocal8Bit(argv[1]).toUInt()))) {
        std::fprintf(stderr, "%s: cannot listen on 127.0.0.1:%s\n", argv[0], argv[1]);
        return 1;
    }
    if (!CreateMainWindow(app))
        return 1;
    CMainFrame *frame = app.MainFrame();
    auto *view = frame->findChild<CTarvikView *>();
    if (!view)
        return 1;
    CTour tour;
    AddTour(tour, frame, view, QString::fromLocal8Bit(argv[2]));
    tour.Start();
    return app.exec();
}
