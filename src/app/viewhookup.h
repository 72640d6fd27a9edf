// Puts the main view into the main frame and connects what the frame hands
// on to the view: the status message routine, the find dialog's requests and
// the send and edit commands of the menu and accelerators, and shows the
// about box once the view's start-up is done.
#pragma once

class CMainFrame;
class CTarvikView;

void PlugMainView(CMainFrame &frame, CTarvikView *view);
