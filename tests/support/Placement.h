#pragma once
#include <QRect>
#include <string>
#include <vector>

class QWidget;

// A control where the window's design puts it: the name of its parent ("" for the window), the
// text it shows and its rectangle in twips; a width of 0 stands for a control sized to its text,
// whose corner alone is given.
struct Placement {
    QWidget* control;
    const char* parent;
    std::string text;
    QRect twips;
};

// One line for each control that stands elsewhere, in another parent, or shows another text.
std::vector<std::string> placementFaults(const std::vector<Placement>& placements);

// What a control shows: a button's or label's caption, a frame's title, a text box's text, a
// drop-down list's selected item.
std::string shownText(const QWidget* control);

// The names of the window's controls that Tab can reach, in the order it reaches them (whether
// hidden or disabled or not).
std::vector<std::string> tabOrder(const QWidget* window);
