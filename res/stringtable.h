// The string table: every user-visible text that code loads by number, plus the
// fixed captions of the main frame's menu and the status bar.
//
// Numbers are the program's own resource identifiers and must stay stable: other
// layers store them (for example a status message is requested by number) and a
// translation file maps the same texts (context "StringTable"). Texts are UTF-8 in
// stringtable.cpp.
#pragma once

#include "language.h"

#include <QString>

// Framework and frame strings.
inline constexpr unsigned IDP_OLE_INIT_FAILED = 100;   // start-up failure of the object services
inline constexpr unsigned IDR_MAINFRAME = 128;         // window title
inline constexpr unsigned IDS_TOP_PANE = 1028;         // status pane of the "Top" check box
inline constexpr unsigned IDS_PROGRESS_PANE = 3211;    // status pane of the file-send progress bar
inline constexpr unsigned ID_INDICATOR_NUM = 59138;    // Num Lock indicator pane
inline constexpr unsigned AFX_IDS_IDLEMESSAGE = 57345; // "ready"

// Messages of the main view, its panels and dialogs.
inline constexpr unsigned IDS_OPEN_PORT = 2303;
inline constexpr unsigned IDS_CLOSE_PORT = 2304;
inline constexpr unsigned IDS_OPEN_PORT_FAILED = 2305;
inline constexpr unsigned IDS_OPEN_PORT_OK = 2306;
inline constexpr unsigned IDS_PORT_CLOSED = 2307;
inline constexpr unsigned IDS_PORT_NOT_OPEN = 2308;
inline constexpr unsigned IDS_FIRST_PAGE = 2309;
inline constexpr unsigned IDS_PAGE_LABEL = 2310;
inline constexpr unsigned IDS_PAGE_STATUS = 2311;
inline constexpr unsigned IDS_HEX_INPUT_ERROR = 2312;
inline constexpr unsigned IDS_NOTHING_TO_SAVE = 2313;
inline constexpr unsigned IDS_SAVE_DISPLAYED_ONLY = 2314;
inline constexpr unsigned IDS_INTERVAL_TOO_SHORT = 2315;
inline constexpr unsigned IDS_FILE_TOO_LARGE = 2316;
inline constexpr unsigned IDS_CMD_NAME_REQUIRED = 2317;
inline constexpr unsigned IDS_CMD_VALUE_REQUIRED = 2318;
inline constexpr unsigned IDS_FILE_EMPTY = 2319;
inline constexpr unsigned IDS_FILE_LOCKED = 2320;
inline constexpr unsigned IDS_BAD_USER_CMD = 2321;
inline constexpr unsigned IDS_BAD_CONFIG = 2322;
inline constexpr unsigned IDS_USER_CMDS_COMMENT = 2323;
inline constexpr unsigned IDS_CONFIG_COMMENT = 2324;
inline constexpr unsigned IDS_SEND = 2325;
inline constexpr unsigned IDS_PAUSE = 2326;
inline constexpr unsigned IDS_FILE_SENT = 2327;
inline constexpr unsigned IDS_FILE_SENDING = 2328;
inline constexpr unsigned IDS_FILE_COUNT_INVALID = 2329;
inline constexpr unsigned IDS_CONTINUE = 2330;
inline constexpr unsigned IDS_FILE_SEND_STOPPED = 2331;
inline constexpr unsigned IDS_FILE_SEND_PAUSED = 2332;
inline constexpr unsigned IDS_FILE_SELECTED = 2333;
inline constexpr unsigned IDS_FILE_SEND_ERROR = 2334;
inline constexpr unsigned IDS_TEXT_NOT_FOUND = 2335;
inline constexpr unsigned IDS_FIND_WRAPPED = 2336;
inline constexpr unsigned IDS_FILE_PROGRESS = 2337;
inline constexpr unsigned IDS_PAUSE_RECEIVE = 2338;
inline constexpr unsigned IDS_CONTINUE_RECEIVE = 2339;
inline constexpr unsigned IDS_SELECT_PORT_FIRST = 2340;

inline constexpr char kStringTableContext[] = "StringTable";

// The string with that identifier in the current language, or an empty string when
// the table has none (as the platform's string loader does).
QString LoadString(unsigned id);
// The untranslated text, for files whose contents must not depend on the language
// (the configuration file's comments); null when the table has none.
const char *SourceString(unsigned id);
// Sets the object's "text" to the string and keeps it in the current language.
void SetStringText(QObject *object, unsigned id);

// Fixed texts that are not loaded by number: menu captions (with the shortcut
// after a tab, as the menu shows it) and the status bar's own texts.
enum class FixedText
{
    MenuFile,
    MenuExit,
    MenuEdit,
    MenuUndo,
    MenuCut,
    MenuCopy,
    MenuPaste,
    MenuSelectAll,
    MenuFind,
    MenuOperation,
    MenuSend,
    MenuPreview,
    MenuSettings,
    MenuPresetCommands,
    MenuToolBar,
    MenuStatusBar,
    MenuHelp,
    MenuAbout,
    TopCheckBox,
    PaneInsertRefused,
    AboutVersionLine, // arguments: build number, port library version text
    AboutFeatures,
};

QString LoadFixedText(FixedText which);
// Sets the object's property to the text and keeps it in the current language.
void SetFixedText(QObject *object, const char *property, FixedText which);
