// Device names of the program ("COM1", "LPT1", "\\.\QXUSB-0") and the paths
// they open. Defaults: COMn is the n-th serial device present (stable
// order: USB adapters, ACM devices, then built-in ports with hardware), LPTn
// is /dev/lp(n-1), \\.\QXUSB-n is /dev/usb/lpn. Overrides come from the
// [Devices] section of the configuration file, which each program loads at
// start with LoadDeviceOverrides (the port library does not know where that
// file lives), or from SetDeviceOverride; tests point ports at their own
// pseudo-terminals this way. All functions are thread-safe.
#pragma once

#include <string>
#include <vector>

// The path to open for `name`; empty when the name is not a device name and
// no override names it.
std::string DevicePath(const std::string &name);

// An override for `name`; an empty path removes it.
void SetDeviceOverride(const std::string &name, const std::string &path);
void ClearDeviceOverrides();
// Adds the entries of the [Devices] section of an INI file. False when the
// file cannot be read, is not a regular file or is larger than the
// configuration engine takes (64 MiB); never waits for what the path names.
bool LoadDeviceOverrides(const std::string &iniPath);

// The default path of `name`, given the serial devices present in order.
std::string DefaultDevicePath(const std::string &name,
                              const std::vector<std::string> &serialDevices);
// Puts serial device names ("ttyUSB0", "ttyS1" ...) into the stable order;
// names of other families are dropped.
std::vector<std::string> OrderSerialDevices(std::vector<std::string> names);
// The serial devices present, as full paths, in the stable order (OS side).
std::vector<std::string> ListSerialDevices();
// The name of the group that owns the device at `path`; empty when it
// cannot be told (OS side).
std::string DeviceGroupName(const std::string &path);
