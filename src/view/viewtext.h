// Texts of the main view by string-table id.
#pragma once

#include <QString>

inline constexpr unsigned IDS_OPEN_PORT = 2303;
inline constexpr unsigned IDS_CLOSE_PORT = 2304;
inline constexpr unsigned IDS_OPEN_PORT_FAILED = 2305;
inline constexpr unsigned IDS_OPEN_PORT_OK = 2306;
inline constexpr unsigned IDS_PORT_CLOSED = 2307;
inline constexpr unsigned IDS_PAGE_LABEL = 2310;
inline constexpr unsigned IDS_SEND = 2325;
inline constexpr unsigned IDS_TEXT_NOT_FOUND = 2335;
inline constexpr unsigned IDS_FIND_WRAPPED = 2336;
inline constexpr unsigned IDS_PAUSE_RECEIVE = 2338;
inline constexpr unsigned IDS_CONTINUE_RECEIVE = 2339;
inline constexpr unsigned IDS_SELECT_PORT_FIRST = 2340;

QString LoadString(unsigned id);

// The string with that id formatted printf-style with whole numbers.
QString FormatString(unsigned id, int first, int second);
