// The controls of the main view's form.
//
// BuildViewForm creates every control of the form as a child of the view,
// names each after its control id and places the port column, sized for the
// view's font; the right-hand areas are placed later by the layout (layout.h)
// from the sizes measured here.
// Controls whose features are not wired up yet are created disabled so the
// form never offers what it cannot do.
#pragma once

#include "view/form/layout.h"

#include <QRect>
#include <QSize>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class CEditEx;
class CRecvView;
class QPushButton;
class QWidget;

struct CViewForm
{
    // Port column
    QComboBox *portKind = nullptr;    // 1017
    QPushButton *openClose = nullptr; // 1007

    // File sending group
    QGroupBox *fileGroup = nullptr;
    QPushButton *selectFile = nullptr;       // 1036
    QPushButton *sendFile = nullptr;         // 1037
    QPushButton *stopFile = nullptr;         // 1053
    std::array<QLabel *, 3> fileLabels{};    // repeat count, interval, counter
    QLineEdit *fileRepeat = nullptr;         // 1050
    QLineEdit *fileInterval = nullptr;       // 1051
    QLabel *fileIntervalUnit = nullptr;      // "ms"
    QLineEdit *fileCounter = nullptr;        // 1052
    QPushButton *clearFileCounter = nullptr; // 1060
    QLabel *filePath = nullptr;              // 1061

    // Areas
    QGroupBox *recvGroup = nullptr; // 1075
    QGroupBox *cmdGroup = nullptr;  // 1073
    QGroupBox *sendGroup = nullptr; // 1074
    CRecvView *recvBox = nullptr;   // 1004
    CEditEx *sendBox = nullptr;     // 1003

    // Rows under the boxes
    QCheckBox *countRecv = nullptr;        // 1054
    QLineEdit *recvCount = nullptr;        // 1055
    QPushButton *clearRecvCount = nullptr; // 1056
    QCheckBox *hexRecv = nullptr;          // 1009
    QCheckBox *recvTimes = nullptr;        // arrival times of the received rows
    QCheckBox *countSend = nullptr;        // 1057
    QLineEdit *sendCount = nullptr;        // 1058
    QPushButton *clearSendCount = nullptr; // 1059
    QCheckBox *autoSend = nullptr;         // 1042
    QLineEdit *autoInterval = nullptr;     // 1044
    QLabel *autoUnit = nullptr;            // 1076
    QCheckBox *hexSend = nullptr;          // 1005

    // Button column
    QPushButton *pauseRecv = nullptr;  // 1011
    QPushButton *saveRecv = nullptr;   // 1010
    QPushButton *copyToSend = nullptr; // 1062
    QPushButton *clearRecv = nullptr;  // 1008
    QPushButton *prevPage = nullptr;   // 1012
    QPushButton *nextPage = nullptr;   // 1013
    QPushButton *loadFile = nullptr;   // 1014
    QPushButton *saveSend = nullptr;   // 1015
    QPushButton *clearSend = nullptr;  // 1006
    QPushButton *send = nullptr;       // 1000
    QLabel *pageLabel = nullptr;       // 1016

    // Sizes at the font the form was built with.
    ViewLayout::Metrics metrics; // of the right-hand side
    QRect panelRect;             // where the settings panel goes
    QSize minimumSize;           // the least size that shows every control whole
    QSize panelsNeed;            // what all panels need, measured at start (or language change)
    int windowWidenedBy = 0;     // pixels the window grew for the panel shown now
};

// The settings panel's place as designed, under the kind list; a panel that
// needs more room makes the port column wider or taller.
inline constexpr int kPanelLeft = 5;
inline constexpr int kPanelWidth = 147;
inline constexpr int kPanelHeight = 142;

// Builds the form and places the port column so that a panel of `panelNeed`
// fits; every control is at least as large as its text needs.
CViewForm BuildViewForm(QWidget *view, QSize panelNeed);
// Places the port column again for a panel of `panelNeed` and measures the
// form anew.
void PlaceViewForm(CViewForm &form, QSize panelNeed);

// Sets the texts that the form shows in the current language and that do not
// follow it by themselves: the port kinds and the page label (page is 1-based).
void RetranslateViewForm(CViewForm &form, int page, int pageCount);

// Texts of the form itself (captions that are not loaded from the string table).
namespace FormText {
inline constexpr char kSendButton[] = QT_TRANSLATE_NOOP("Caption", "发送(&S)");
inline constexpr char kNotFinished[] = QT_TRANSLATE_NOOP("Caption", "未完成！！");
} // namespace FormText
