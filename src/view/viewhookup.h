// Puts the main view into the main frame and connects what the frame hands
// on to the view: the status message routine and the find dialog's requests.
#pragma once

class CMainFrame;
class CTarvikView;

void PlugMainView(CMainFrame &frame, CTarvikView *view);
