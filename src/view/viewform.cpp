#include "viewform.h"

#include "editex.h"
#include "recvview.h"

#include "buttonex.h"
#include "stringtable.h"
#include "viewids.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace {
// Every control is a direct child of the view, as on a dialog form, so an id
// is unique among the view's own children even where a panel reuses it.
template <typename Control> Control *Make(QWidget *view, int id, const QString &text = {})
{
    auto *control = new Control(text, view);
    control->setObjectName(ViewId::Name(id));
    return control;
}

CEditEx *MakeDataBox(QWidget *view, int id)
{
    auto *box = new CEditEx(view);
    box->setObjectName(ViewId::Name(id));
    return box;
}

QLineEdit *MakeEdit(QWidget *view, int id, const QString &text, bool readOnly)
{
    auto *edit = new QLineEdit(text, view);
    edit->setObjectName(ViewId::Name(id));
    edit->setReadOnly(readOnly);
    return edit;
}

QLabel *MakeLabel(QWidget *view, const QString &text, const QRect &rect)
{
    auto *label = new QLabel(text, view);
    label->setGeometry(rect);
    return label;
}

QString FormatString(unsigned id, int first, int second)
{
    return QString::asprintf(LoadString(id).toUtf8().constData(), first, second);
}

// Port kind names in the order of the kind indexes.
QStringList PortKindNames()
{
    return {QStringLiteral("串行接口"), QStringLiteral("并行接口"), QStringLiteral("USB接口"),
            QStringLiteral("网络接口"), QStringLiteral("驱动接口")};
}

void BuildPortColumn(QWidget *view, CViewForm &f)
{
    f.portKind = new QComboBox(view);
    f.portKind->setObjectName(ViewId::Name(ViewId::kPortKind));
    f.portKind->addItems(PortKindNames());
    f.portKind->setCurrentIndex(0);
    f.portKind->setGeometry(5, 5, 82, 22);
    f.openClose = Make<CButtonEx>(view, ViewId::kOpenClose, LoadString(IDS_OPEN_PORT));
    f.openClose->setGeometry(90, 4, 60, 24);
}

void BuildFileButtons(QWidget *view, CViewForm &f)
{
    f.selectFile = Make<QPushButton>(view, ViewId::kSelectFile, QStringLiteral("选择文件"));
    f.selectFile->setGeometry(10, 192, 56, 22);
    f.sendFile = Make<QPushButton>(view, ViewId::kSendFile, LoadString(IDS_SEND));
    f.sendFile->setGeometry(68, 192, 38, 22);
    f.stopFile = Make<QPushButton>(view, ViewId::kStopFile, QStringLiteral("停止"));
    f.stopFile->setGeometry(108, 192, 38, 22);
}

void BuildFileGroup(QWidget *view, CViewForm &f)
{
    f.fileGroup = new QGroupBox(QStringLiteral("发送文件"), view);
    f.fileGroup->setGeometry(5, 174, 145, 124);
    BuildFileButtons(view, f);
    MakeLabel(view, QStringLiteral("发送次数:"), {10, 219, 58, 18});
    f.fileRepeat = MakeEdit(view, ViewId::kFileRepeat, QStringLiteral("1"), false);
    f.fileRepeat->setGeometry(68, 218, 52, 20);
    MakeLabel(view, QStringLiteral("发送间隔:"), {10, 243, 58, 18});
    f.fileInterval = MakeEdit(view, ViewId::kFileInterval, QStringLiteral("0"), false);
    f.fileInterval->setGeometry(68, 242, 52, 20);
    MakeLabel(view, QStringLiteral("ms"), {123, 243, 20, 18});
    MakeLabel(view, QStringLiteral("发送计数:"), {10, 267, 58, 18});
    f.fileCounter = MakeEdit(view, ViewId::kFileCounter, QStringLiteral("0"), true);
    f.fileCounter->setGeometry(68, 266, 52, 20);
    f.clearFileCounter = Make<QPushButton>(view, ViewId::kClearFileCounter, QStringLiteral("C"));
    f.clearFileCounter->setGeometry(123, 266, 20, 20);
    f.filePath = Make<QLabel>(view, ViewId::kFilePath);
    f.filePath->setGeometry(5, 302, 145, 16);
}

void BuildAreas(QWidget *view, CViewForm &f)
{
    f.recvGroup = Make<QGroupBox>(view, ViewId::kRecvGroup, QStringLiteral("接收区"));
    f.cmdGroup = Make<QGroupBox>(view, ViewId::kCmdGroup, QStringLiteral("预设命令"));
    f.sendGroup = Make<QGroupBox>(view, ViewId::kSendGroup, QStringLiteral("发送区"));
    f.recvBox = new CRecvView(view);
    f.recvBox->setObjectName(ViewId::Name(ViewId::kRecvBox));
    f.sendBox = MakeDataBox(view, ViewId::kSendBox);
    f.sendBox->SetFileDropEnabled(true);
}

void BuildRows(QWidget *view, CViewForm &f)
{
    f.countRecv = Make<QCheckBox>(view, ViewId::kCountRecv, QStringLiteral("接收计数"));
    f.recvCount = MakeEdit(view, ViewId::kRecvCount, QStringLiteral("0"), true);
    f.clearRecvCount = Make<QPushButton>(view, ViewId::kClearRecvCount, QStringLiteral("C"));
    f.hexRecv = Make<QCheckBox>(view, ViewId::kHexRecv, QStringLiteral("Hex"));
    f.recvTimes = Make<QCheckBox>(view, ViewId::kRecvTimes, QCheckBox::tr("时间"));
    f.countSend = Make<QCheckBox>(view, ViewId::kCountSend, QStringLiteral("发送计数"));
    f.sendCount = MakeEdit(view, ViewId::kSendCount, QStringLiteral("0"), true);
    f.clearSendCount = Make<QPushButton>(view, ViewId::kClearSendCount, QStringLiteral("C"));
    f.autoSend = Make<QCheckBox>(view, ViewId::kAutoSend, QStringLiteral("自动发送：间隔"));
    f.autoInterval = MakeEdit(view, ViewId::kAutoInterval, QStringLiteral("1000"), false);
    f.autoUnit = Make<QLabel>(view, ViewId::kAutoUnit, QStringLiteral("ms"));
    f.hexSend = Make<QCheckBox>(view, ViewId::kHexSend, QStringLiteral("Hex"));
}

void BuildButtonColumn(QWidget *view, CViewForm &f)
{
    f.pauseRecv = Make<QPushButton>(view, ViewId::kPauseRecv, LoadString(IDS_PAUSE_RECEIVE));
    f.saveRecv = Make<QPushButton>(view, ViewId::kSaveRecv, QStringLiteral("保存内容"));
    f.copyToSend = Make<QPushButton>(view, ViewId::kCopyToSend, QStringLiteral("复制到发送"));
    f.clearRecv = Make<QPushButton>(view, ViewId::kClearRecv, QStringLiteral("清空接收"));
    f.prevPage = Make<QPushButton>(view, ViewId::kPrevPage, QStringLiteral("上一页(&B)"));
    f.nextPage = Make<QPushButton>(view, ViewId::kNextPage, QStringLiteral("下一页(&N)"));
    f.loadFile = Make<QPushButton>(view, ViewId::kLoadFile, QStringLiteral("装载文件"));
    f.saveSend = Make<QPushButton>(view, ViewId::kSaveSend, QStringLiteral("保存内容"));
    f.clearSend = Make<QPushButton>(view, ViewId::kClearSend, QStringLiteral("清空发送"));
    f.send = Make<QPushButton>(view, ViewId::kSend, QString::fromUtf8(FormText::kSendButton));
    f.pageLabel = Make<QLabel>(view, ViewId::kPageLabel, FormatString(IDS_PAGE_LABEL, 1, 1));
}

// The buttons that wait for an open port, a chosen file or a transfer.
void DisableUntilNeeded(CViewForm &f)
{
    f.send->setEnabled(false);     // the write lock: enabled while a port is open and idle
    f.sendFile->setEnabled(false); // until a port is open and a file is chosen
    f.stopFile->setEnabled(false); // while a file is being sent
}
} // namespace

CViewForm BuildViewForm(QWidget *view)
{
    CViewForm f;
    BuildAreas(view, f); // first, so the groups lie beneath the controls in them
    BuildPortColumn(view, f);
    BuildFileGroup(view, f);
    BuildRows(view, f);
    BuildButtonColumn(view, f);
    DisableUntilNeeded(f);
    return f;
}
