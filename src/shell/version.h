// Version numbers shown by the about box.
//
// The port library carries its own build number; its version text has the form
// "V1.000.<build>". The application's build number is the shell's.
#pragma once

#include <QString>

inline constexpr int kTarvikAppBuild = 1141;
inline constexpr int kPortLibraryBuild = 1087;

inline QString PortLibraryVersionText()
{
    return QStringLiteral("V1.000.%1").arg(kPortLibraryBuild);
}
