#pragma once
#include <functional>
#include <string>

// Runs work(0) .. work(count - 1) at the same time, each in a child process of its own, as
// separate runs of the program would; returns how many of them failed (returned false or died).
int failingChildren(int count, const std::function<bool(int)>& work);

// Waits up to the time limit until the process has gone (or is only waiting to be reaped by
// whoever inherited it); false when it still runs.
bool waitUntilGone(const std::string& pid, int timeoutMs = 10000);
