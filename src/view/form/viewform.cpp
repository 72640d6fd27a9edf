#include "view/form/viewform.h"

#include "view/recv/recvview.h"
#include "widgets/editex.h"

#include "view/form/formmetrics.h"

#include "stringtable.h"
#include "view/form/viewids.h"
#include "widgets/buttonex.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <algorithm>
#include <initializer_list>
#include <utility>

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

QLabel *MakeLabel(QWidget *view, const QString &text)
{
    return new QLabel(text, view);
}

QString FormatString(unsigned id, int first, int second)
{
    return QString::asprintf(LoadString(id).toUtf8().constData(), first, second);
}

// Port kind names in the order of the kind indexes.
QStringList PortKindNames()
{
    QStringList names;
    for (const char *name :
         {QT_TRANSLATE_NOOP("Caption", "串行接口"), QT_TRANSLATE_NOOP("Caption", "并行接口"),
          QT_TRANSLATE_NOOP("Caption", "USB接口"), QT_TRANSLATE_NOOP("Caption", "网络接口"),
          QT_TRANSLATE_NOOP("Caption", "驱动接口")})
        names << QCoreApplication::translate(Language::kCaptionContext, name);
    return names;
}

void BuildPortColumn(QWidget *view, CViewForm &f)
{
    f.portKind = new QComboBox(view);
    f.portKind->setObjectName(ViewId::Name(ViewId::kPortKind));
    f.portKind->addItems(PortKindNames());
    f.portKind->setCurrentIndex(0);
    f.openClose = Make<CButtonEx>(view, ViewId::kOpenClose);
    SetStringText(f.openClose, IDS_OPEN_PORT);
}

void BuildFileGroup(QWidget *view, CViewForm &f)
{
    f.fileGroup = new QGroupBox(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "发送文件")), view);
    f.selectFile = Make<QPushButton>(view, ViewId::kSelectFile,
                                     QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "选择文件")));
    f.sendFile = Make<QPushButton>(view, ViewId::kSendFile);
    SetStringText(f.sendFile, IDS_SEND);
    f.stopFile = Make<QPushButton>(view, ViewId::kStopFile,
                                   QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "停止")));
    f.fileLabels = {MakeLabel(view, QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "发送次数:"))),
                    MakeLabel(view, QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "发送间隔:"))),
                    MakeLabel(view, QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "发送计数:")))};
    f.fileRepeat = MakeEdit(view, ViewId::kFileRepeat, QStringLiteral("1"), false);
    f.fileInterval = MakeEdit(view, ViewId::kFileInterval, QStringLiteral("0"), false);
    f.fileIntervalUnit = MakeLabel(view, QStringLiteral("ms"));
    f.fileCounter = MakeEdit(view, ViewId::kFileCounter, QStringLiteral("0"), true);
    f.clearFileCounter = Make<QPushButton>(view, ViewId::kClearFileCounter, QStringLiteral("C"));
    f.filePath = Make<QLabel>(view, ViewId::kFilePath);
}

void BuildAreas(QWidget *view, CViewForm &f)
{
    f.recvGroup = Make<QGroupBox>(view, ViewId::kRecvGroup,
                                  QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "接收区")));
    f.cmdGroup = Make<QGroupBox>(view, ViewId::kCmdGroup,
                                 QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "预设命令")));
    f.sendGroup = Make<QGroupBox>(view, ViewId::kSendGroup,
                                  QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "发送区")));
    f.recvBox = new CRecvView(view);
    f.recvBox->setObjectName(ViewId::Name(ViewId::kRecvBox));
    f.sendBox = MakeDataBox(view, ViewId::kSendBox);
    f.sendBox->SetFileDropEnabled(true);
}

void BuildRows(QWidget *view, CViewForm &f)
{
    f.countRecv = Make<QCheckBox>(view, ViewId::kCountRecv,
                                  QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "接收计数")));
    f.recvCount = MakeEdit(view, ViewId::kRecvCount, QStringLiteral("0"), true);
    f.clearRecvCount = Make<QPushButton>(view, ViewId::kClearRecvCount, QStringLiteral("C"));
    f.hexRecv = Make<QCheckBox>(view, ViewId::kHexRecv, QStringLiteral("Hex"));
    f.recvTimes = Make<QCheckBox>(view, ViewId::kRecvTimes,
                                  QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "时间")));
    f.countSend = Make<QCheckBox>(view, ViewId::kCountSend,
                                  QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "发送计数")));
    f.sendCount = MakeEdit(view, ViewId::kSendCount, QStringLiteral("0"), true);
    f.clearSendCount = Make<QPushButton>(view, ViewId::kClearSendCount, QStringLiteral("C"));
    f.autoSend = Make<QCheckBox>(view, ViewId::kAutoSend,
                                 QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "自动发送：间隔")));
    f.autoInterval = MakeEdit(view, ViewId::kAutoInterval, QStringLiteral("1000"), false);
    f.autoUnit = Make<QLabel>(view, ViewId::kAutoUnit, QStringLiteral("ms"));
    f.hexSend = Make<QCheckBox>(view, ViewId::kHexSend, QStringLiteral("Hex"));
}

void BuildButtonColumn(QWidget *view, CViewForm &f)
{
    f.pauseRecv = Make<QPushButton>(view, ViewId::kPauseRecv);
    SetStringText(f.pauseRecv, IDS_PAUSE_RECEIVE);
    f.saveRecv = Make<QPushButton>(view, ViewId::kSaveRecv,
                                   QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "保存内容")));
    f.copyToSend = Make<QPushButton>(view, ViewId::kCopyToSend,
                                     QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "复制到发送")));
    f.clearRecv = Make<QPushButton>(view, ViewId::kClearRecv,
                                    QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "清空接收")));
    f.prevPage = Make<QPushButton>(view, ViewId::kPrevPage,
                                   QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "上一页(&B)")));
    f.nextPage = Make<QPushButton>(view, ViewId::kNextPage,
                                   QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "下一页(&N)")));
    f.loadFile = Make<QPushButton>(view, ViewId::kLoadFile,
                                   QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "装载文件")));
    f.saveSend = Make<QPushButton>(view, ViewId::kSaveSend,
                                   QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "保存内容")));
    f.clearSend = Make<QPushButton>(view, ViewId::kClearSend,
                                    QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "清空发送")));
    f.send = Make<QPushButton>(view, ViewId::kSend, QString::fromUtf8(FormText::kSendButton));
    f.pageLabel = Make<QLabel>(view, ViewId::kPageLabel, FormatString(IDS_PAGE_LABEL, 1, 1));
}

// Sizes of the port column's controls: as designed, or what their texts need.
struct PortColumnSizes
{
    int width = kPanelWidth; // the panel's width; the column's rows span it
    int comboHeight = 22;
    int openWidth = 60;
    int openHeight = 24;
    int panelHeight = kPanelHeight;
    int titleHeight = 18; // the file group's caption band
    int buttonHeight = 22;
    int selectWidth = 56;
    int sendWidth = 38;
    int stopWidth = 38;
    int labelWidth = 58;
    int editWidth = 52;
    int unitWidth = 20; // "ms" and the counter's "C"
    int rowHeight = 20;
    int pathHeight = 16;
};

int MaxButtonWidth(int designed, const QWidget *button, std::initializer_list<QString> texts)
{
    int width = designed;
    for (const QString &text : texts)
        width = std::max(width, FormMetrics::ButtonWidth(button, text));
    return width;
}

void MeasureFileGroup(const CViewForm &f, PortColumnSizes &s)
{
    using FormMetrics::Height;
    s.titleHeight = std::max(s.titleHeight, f.fileGroup->fontMetrics().height() + 4);
    s.buttonHeight = Height(f.selectFile, s.buttonHeight);
    s.selectWidth = MaxButtonWidth(s.selectWidth, f.selectFile, {f.selectFile->text()});
    s.sendWidth =
        MaxButtonWidth(s.sendWidth, f.sendFile,
                       {f.sendFile->text(), LoadString(IDS_PAUSE), LoadString(IDS_CONTINUE)});
    s.stopWidth = MaxButtonWidth(s.stopWidth, f.stopFile, {f.stopFile->text()});
    for (const QLabel *label : f.fileLabels)
        s.labelWidth = std::max(s.labelWidth, label->sizeHint().width());
    s.editWidth = std::max(s.editWidth, FormMetrics::LineEditWidth(f.fileRepeat, "99999"));
    s.unitWidth =
        std::max({s.unitWidth, f.fileIntervalUnit->sizeHint().width(),
                  FormMetrics::ButtonWidth(f.clearFileCounter, f.clearFileCounter->text())});
    s.rowHeight =
        std::max({Height(f.fileRepeat, s.rowHeight), Height(f.clearFileCounter, s.rowHeight),
                  Height(f.fileLabels[0], s.rowHeight - 2) + 2});
    s.pathHeight = Height(f.filePath, s.pathHeight);
}

PortColumnSizes MeasurePortColumn(const CViewForm &f, QSize panelNeed)
{
    PortColumnSizes s;
    s.comboHeight = FormMetrics::Height(f.portKind, s.comboHeight);
    s.openWidth = MaxButtonWidth(s.openWidth, f.openClose,
                                 {LoadString(IDS_OPEN_PORT), LoadString(IDS_CLOSE_PORT)});
    s.openHeight = FormMetrics::Height(f.openClose, s.openHeight);
    s.panelHeight = std::max(s.panelHeight, panelNeed.height());
    MeasureFileGroup(f, s);
    // Each row of the column with its margins, as the designed sizes add up to 147.
    const int kindRow = std::max(82, f.portKind->sizeHint().width()) + 3 + s.openWidth + 2;
    const int buttonRow = 5 + s.selectWidth + 2 + s.sendWidth + 2 + s.stopWidth + 4 + 2;
    const int fieldRow = 5 + s.labelWidth + s.editWidth + 3 + s.unitWidth + 4 + 2;
    s.width = std::max({s.width, panelNeed.width(), kindRow, buttonRow, fieldRow});
    return s;
}

// The three fields of the file group, one per row from `top`; returns the bottom.
int PlaceFileFields(CViewForm &f, const PortColumnSizes &s, int top)
{
    const int left = kPanelLeft + 5;
    const int editLeft = left + s.labelWidth;
    const int unitLeft = editLeft + s.editWidth + 3;
    QLineEdit *const edits[] = {f.fileRepeat, f.fileInterval, f.fileCounter};
    int y = top;
    for (int row = 0; row < 3; ++row, y += s.rowHeight + 4) {
        f.fileLabels[row]->setGeometry(left, y + 1, s.labelWidth, s.rowHeight - 2);
        edits[row]->setGeometry(editLeft, y, s.editWidth, s.rowHeight);
    }
    const int row1 = top + s.rowHeight + 4;
    f.fileIntervalUnit->setGeometry(unitLeft, row1 + 1, s.unitWidth, s.rowHeight - 2);
    f.clearFileCounter->setGeometry(unitLeft, row1 + s.rowHeight + 4, s.unitWidth, s.rowHeight);
    return y - 4;
}

// Returns the bottom of the file group.
int PlaceFileGroup(CViewForm &f, const PortColumnSizes &s, int top)
{
    const int buttonsTop = top + s.titleHeight;
    int x = kPanelLeft + 5;
    for (auto [button, width] :
         {std::pair{f.selectFile, s.selectWidth}, std::pair{f.sendFile, s.sendWidth},
          std::pair{f.stopFile, s.stopWidth}}) {
        button->setGeometry(x, buttonsTop, width, s.buttonHeight);
        x += width + 2;
    }
    const int bottom = PlaceFileFields(f, s, buttonsTop + s.buttonHeight + 4) + 12;
    f.fileGroup->setGeometry(kPanelLeft, top, s.width - 2, bottom - top);
    return bottom;
}

// Places the kind list, the open button, the panel's place, the file group
// and the chosen file's name; returns the column's bottom.
int PlacePortColumn(CViewForm &f, const PortColumnSizes &s)
{
    const int openLeft = kPanelLeft + s.width - 2 - s.openWidth;
    f.portKind->setGeometry(kPanelLeft, 5, openLeft - 3 - kPanelLeft, s.comboHeight);
    f.openClose->setGeometry(openLeft, 4, s.openWidth, s.openHeight);
    const int panelTop = 4 + std::max(s.openHeight, s.comboHeight + 1) + 2;
    f.panelRect = QRect(kPanelLeft, panelTop, s.width, s.panelHeight);
    const int groupBottom = PlaceFileGroup(f, s, f.panelRect.bottom() + 1 + 2);
    f.filePath->setGeometry(kPanelLeft, groupBottom + 4, s.width - 2, s.pathHeight);
    return f.filePath->geometry().bottom() + 1;
}

// The buttons that wait for an open port, a chosen file or a transfer.
void DisableUntilNeeded(CViewForm &f)
{
    f.send->setEnabled(false);     // the write lock: enabled while a port is open and idle
    f.sendFile->setEnabled(false); // until a port is open and a file is chosen
    f.stopFile->setEnabled(false); // while a file is being sent
}
} // namespace

CViewForm BuildViewForm(QWidget *view, QSize panelNeed)
{
    CViewForm f;
    BuildAreas(view, f); // first, so the groups lie beneath the controls in them
    BuildPortColumn(view, f);
    BuildFileGroup(view, f);
    BuildRows(view, f);
    BuildButtonColumn(view, f);
    DisableUntilNeeded(f);
    Language::TranslateTree(view);
    f.panelsNeed = panelNeed;
    PlaceViewForm(f, panelNeed);
    return f;
}

void RetranslateViewForm(CViewForm &f, int page, int pageCount)
{
    Language::RetranslateTree(f.portKind->parent());
    const QStringList kinds = PortKindNames();
    for (int i = 0; i < kinds.size() && i < f.portKind->count(); ++i)
        f.portKind->setItemText(i, kinds[i]);
    f.pageLabel->setText(FormatString(IDS_PAGE_LABEL, page, pageCount));
}

void PlaceViewForm(CViewForm &f, QSize panelNeed)
{
    const PortColumnSizes column = MeasurePortColumn(f, panelNeed);
    const int columnBottom = PlacePortColumn(f, column);
    f.metrics = FormMetrics::MeasureAreas(f, kPanelLeft + column.width);
    f.minimumSize = QSize(f.metrics.MinWidth(),
                          std::max(columnBottom + 5, f.metrics.MinP2() + f.metrics.SendRoom()));
}
