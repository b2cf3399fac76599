#pragma once
#include <string>
#include <vector>

class QWidget;

// Puts the focus in each control of a window that Tab reaches, in tab order, and presses Enter
// there; the next control is the next one Tab reaches once the press is done. Enter must press the control itself when it is a push button, and otherwise exactly the
// window's default button (named by `defaultButton`; "" for a window without one), or nothing
// when that button is disabled. The one button drawn as the default must be the one Enter is
// meant for. Returns the faults, one line each. A press runs the button's procedure: script the
// boxes it shows. A window that a press closed is shown again for the next control.
std::vector<std::string> enterFaults(QWidget* window, const std::string& defaultButton);
