#pragma once
#include <functional>

// Runs work(0) .. work(count - 1) at the same time, each in a child process of its own, as
// separate runs of the program would; returns how many of them failed (returned false or died).
int failingChildren(int count, const std::function<bool(int)>& work);
