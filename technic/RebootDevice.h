#pragma once
#include <functional>
#include <string>

// The device-side reboot request: logs the reason to "/mnt/mtd/log/Reboot.log" (tag "Reboot", 10240
// bytes, 2 files) and hands the reboot command line to the command runner.
//
// A desktop player must not run whatever script sits at the device's path, so the default runner runs
// nothing: it writes the refused command to the debugger output.
void rebootDevice(const std::string& reason);

// The device's reboot command line, as given to the runner.
extern const char* const kRebootCommand;

// For tests and for a device build: replaces the runner (an empty function restores the default) and
// the reboot log's path (empty restores the device path). Each returns the previous setting.
using RebootCommandRunner = std::function<void(const std::string& commandLine)>;
RebootCommandRunner setRebootCommandRunner(RebootCommandRunner runner);
std::string setRebootLogPath(const std::string& path);
