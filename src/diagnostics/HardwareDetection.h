#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct App;

// The three questions the status report asks about the machine. Plain functions turn the
// platform's answers, as the Windows calls give them, into the report's texts; the ones taking
// the App ask app.systemInfo and hand its answers to them.

// The name for the version query's result code, platform identifier and major and minor
// numbers: "Unable to identify your version of Windows." for any result but 1, "" for a platform
// the table does not know.
std::string VersionNameOf(int result, std::uint32_t platformId, std::uint32_t major, std::uint32_t minor);

// True when the WOW64 query is there and has set its flag.
bool Wow64Of(bool queryPresent, std::uint32_t flag);

// The adapter query's four texts as the platform gives them: they may run past their field or
// hold a NUL.
struct AdapterFields {
    std::string deviceString, deviceName, deviceKey, deviceId;
};

// Info becomes five texts: "Device String:", "Device Name:", "Device Key:" and "Device ID:" each
// directly followed by its field, cut at its first NUL and at its size, and an empty fifth. For a
// result of 0, Info(0) is "Error while retrieving Display Information", the rest empty, and the
// function gives false.
bool AdapterInfoOf(int result, const AdapterFields& fields, std::vector<std::string>& Info);

// This platform has no Windows version to tell, so the system names itself: PRETTY_NAME of
// os-release, ", ", the kernel's name and release ("Debian GNU/Linux 12 (bookworm), Linux
// 6.1.0-18-amd64"); the kernel part alone without os-release. A kernel that does not answer is
// a failed query.
std::string GetWindowsVersionName(const App& app);

// A 32-bit process on a 64-bit kernel; false for a 64-bit one, which the report minds itself.
bool IsWow64(const App& app);

// The first display adapter, through AdapterInfoOf.
bool GetDisplayAdapterInfo(const App& app, std::vector<std::string>& Info);
