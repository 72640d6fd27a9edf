// The program's icon (res/icons/tarvik.svg, compiled in), for the main frame,
// the about box and, as the application's window icon, every other window.
#pragma once

#include <QIcon>

QIcon TarvikIcon();
