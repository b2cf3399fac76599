#pragma once
#include <string>
#include <vector>

struct App;

// The three questions the status report asks about the machine, answered from app.systemInfo.

// The system's name: PRETTY_NAME of os-release, ", ", the kernel's name and release
// ("Debian GNU/Linux 12 (bookworm), Linux 6.1.0-18-amd64"); the kernel part alone without
// os-release; "Unable to identify your version of Windows." when the kernel does not answer.
std::string GetWindowsVersionName(const App& app);

// True when the report is to say "64 Bits": the process or the machine is a 64-bit one. (The
// question was once whether a 32-bit program ran on a 64-bit system, which a 64-bit build never
// does: its report would have said "32 Bits".)
bool IsWow64(const App& app);

// Info becomes five texts: "Device String:", "Device Name:", "Device Key:" and "Device ID:" each
// directly followed by the first display adapter's, and an empty fifth. Without an adapter,
// Info(0) is "Error while retrieving Display Information", the rest empty, and the result false.
bool GetDisplayAdapterInfo(const App& app, std::vector<std::string>& Info);
