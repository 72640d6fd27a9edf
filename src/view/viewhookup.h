// Puts the main view into the main frame and connects what the frame hands
// on to the view: the status message routine, the find dialog's requests and
// the send and edit commands of the menu and accelerators.
#pragma once

class CMainFrame;
class CTarvikView;

void PlugMainView(CMainFrame &frame, CTarvikView *view);
