// Control ids of the main view's form.
//
// Each control carries its id as its object name, so tests and the layout
// find controls by the numbers other parts of the program use for them.
#pragma once

#include <QString>

namespace ViewId {
// Port column
inline constexpr int kPortKind = 1017;
inline constexpr int kOpenClose = 1007;

// File sending group
inline constexpr int kSelectFile = 1036;
inline constexpr int kSendFile = 1037;
inline constexpr int kStopFile = 1053;
inline constexpr int kFileRepeat = 1050;
inline constexpr int kFileInterval = 1051;
inline constexpr int kFileCounter = 1052;
inline constexpr int kClearFileCounter = 1060;
inline constexpr int kFilePath = 1061;

// Areas and splitter bars
inline constexpr int kRecvGroup = 1075;
inline constexpr int kCmdGroup = 1073;
inline constexpr int kSendGroup = 1074;
inline constexpr int kBar1 = 1072;
inline constexpr int kBar2 = 1071;
inline constexpr int kRecvBox = 1004;
inline constexpr int kSendBox = 1003;

// Rows under the boxes
inline constexpr int kCountRecv = 1054;
inline constexpr int kRecvCount = 1055;
inline constexpr int kClearRecvCount = 1056;
inline constexpr int kHexRecv = 1009;
inline constexpr int kRecvTimes = 1090; // arrival times beside the received rows
inline constexpr int kCountSend = 1057;
inline constexpr int kSendCount = 1058;
inline constexpr int kClearSendCount = 1059;
inline constexpr int kAutoSend = 1042;
inline constexpr int kAutoInterval = 1044;
inline constexpr int kAutoUnit = 1076;
inline constexpr int kHexSend = 1005;

// Button column
inline constexpr int kPauseRecv = 1011;
inline constexpr int kSaveRecv = 1010;
inline constexpr int kCopyToSend = 1062;
inline constexpr int kClearRecv = 1008;
inline constexpr int kPrevPage = 1012;
inline constexpr int kNextPage = 1013;
inline constexpr int kLoadFile = 1014;
inline constexpr int kSaveSend = 1015;
inline constexpr int kClearSend = 1006;
inline constexpr int kSend = 1000;
inline constexpr int kPageLabel = 1016;

// The status bar's "Top" check box
inline constexpr int kTopMost = 1029;

// The user command strip inside group 1073 (the framework's first pane id)
inline constexpr int kCmdStrip = 59648;

inline QString Name(int id)
{
    return QString::number(id);
}
} // namespace ViewId
