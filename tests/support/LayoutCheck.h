#pragma once
#include <string>
#include <vector>

class QWidget;

// What is wrong with a window's layout as it stands, one line a fault naming the control:
//  - a text that, wrapped as its control wraps it, needs more room than the control gives it
//    (for a drop-down list, any of its items);
//  - a control that reaches out of its parent (a frame or the window), and is cut off there;
//  - a frame's child that crosses the band of the frame's caption;
//  - two controls of one parent whose drawn parts overlap by more than a shared one-pixel edge (a
//    label's drawn part is its text, so a label sized to its text must not run into its
//    neighbours); lines and shapes may lie over each other;
//  - a message box too narrow for its title bar to show the whole title.
// Show the window first: list views and message boxes lay themselves out when shown.
std::vector<std::string> layoutFaults(const QWidget* window);
