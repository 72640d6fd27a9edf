// The program's window as the user gets it: the application's main frame,
// placed and shown, with the main view in its middle.
//
// Lives apart from the shell library so that the shell's controls build
// without the view, while the program (the top layer) gets both.
#pragma once

class CTarvikApp;

// False when the application refused to start; the program then ends.
bool CreateMainWindow(CTarvikApp &app);
