// The port library's port objects for a --port target, and the ports the
// machine has, in the form --port takes.
#pragma once

#include "cliplan.h"
#include "port/portkind.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CPortEx;

struct CliPortResult
{
    std::unique_ptr<CPortEx> port; // with its settings record handed over
    std::string error;             // why there is no port
};

// Creates the port of the target's kind; a device given as a path is reached
// through a device-map override of a name the port asks for.
CliPortResult CreateCliPort(const CliPortTarget &target);
// A port's last error in words: the system's own with its name
// ("Connection refused (ECONNREFUSED)"), the spooler's faults for a printer
// queue, the number only when nothing better is known.
std::string PortErrorText(uint32_t error, PortKind kind);
// Serial devices, parallel devices, USB printers and spooler queues present.
std::vector<std::string> ListCliPorts();
