// The numbers of the program's messages to the main view and of the kinds of
// status message. The edit box, the find dialog, the status bar and the view
// all speak them, so they live here beside the string table's numbers, below
// every layer of src/.
#pragma once

// Codes of the view's request message (WM_VIEW_REQUEST, WM_USER+101).
enum ViewRequest : int
{
    kRequestClosePort = 1,  // a serial panel setting changed while the port is open
    kRequestSelectFile = 3, // a file dropped on the send box is too large to load
    kRequestFind = 4        // the find dialog; match case travels in the high word
};

// Kinds of status message: 2 and 4 show in the message pane, blue and red;
// any other kind is a message box.
enum StatusKind : int
{
    kStatusMessageBox = 0,
    kStatusHint = 2,
    kStatusError = 4
};

// How long a status message stays, when not a number of milliseconds.
enum StatusDuration : int
{
    kStatusUntilReplaced = -1, // until the next message
    kStatusDefaultTime = 0     // the status bar's default for its kind
};
