// The start script's self-check: with TARVIK_DEMO_CHECK set, the program
// drives its own window through what a newcomer does first on the demo
// folder (open the port, click a command button, read the printer's reply in
// the receive view), prints what happened and quits with 0 on success, 1 on
// failure. CI runs it through scripts/start.sh, so the start command is
// proven on every change, including the path of the program it starts.
#pragma once

class CTarvikView;

// True when the environment asks for the check; the program then exits
// through it instead of waiting for the user.
bool DemoCheckRequested();
void StartDemoCheck(CTarvikView &view);
