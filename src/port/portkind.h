// The five port kinds. The numbers are the places in the main view's list of
// kinds and the value the configuration stores for the chosen one, so they
// never change.
#pragma once

enum class PortKind : int
{
    Serial = 0,
    Parallel = 1,
    Usb = 2,
    Network = 3,
    Printer = 4
};

inline constexpr int kPortKindCount = 5;
