#pragma once
#include <QFrame>
#include <QGroupBox>
#include <QPalette>
#include <QRadioButton>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QColor;
class QComboBox;
class QFont;
class QIcon;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;

// One builder for each kind of standard control. Each control gets its given name as object
// name and is placed in twips relative to its parent (a frame's children relative to the frame's
// top-left corner). Texts are plain: nothing in them is read as markup.
namespace ui {

// The stand-in for MS Sans Serif 8.25 pt that every window is drawn in: a family and a pixel
// size chosen so that every text fits the rectangle its window gives it, whatever the screen's
// resolution says.
QFont dialogFont();

// The stand-in for Courier New at the given point size, in which reports and consoles are drawn:
// Liberation Mono, which has its metrics, at the pixel size the point size gives on a screen of
// 96 dots per inch.
QFont consoleFont(double points);

// A frame as the classic desktop draws it: the caption sits on the top border, so the border
// runs through the middle of the caption's line and the children, placed below that line, are
// clear of both.
class Frame : public QGroupBox {
public:
    using QGroupBox::QGroupBox;
    // Where the caption is drawn, in the frame's coordinates.
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// An option button whose caption wraps within its width when its height holds more than one line
// (the mark beside the first line), and whose whole area answers a click. text() stays as set.
class OptionButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;
    bool wordWrap() const;
    // Where the caption is drawn, in the button's coordinates.
    QRect textArea() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};

// A picture box: a sunken border two pixels wide around its client area, which holds its
// children. Place them in client(): their twips count from the client area's top-left corner,
// and what reaches past its edge is cut off there.
class Picture : public QFrame {
public:
    explicit Picture(QWidget* parent);
    QWidget* client() const { return client_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* client_;
};

// Wraps words when its height holds more than one line, as tall captions are meant to.
QLabel* makeLabel(QWidget* parent, const char* name, const std::string& text, int left, int top, int width, int height);
// Plain text centred on each line.
QLabel* makeCentredLabel(QWidget* parent, const char* name, const std::string& text, int left, int top, int width,
                         int height);
// A label inside a single border, one pixel wide.
QLabel* makeBorderedLabel(QWidget* parent, const char* name, const std::string& text, int left, int top, int width,
                          int height);
QPushButton* makeButton(QWidget* parent, const char* name, const std::string& text, int left, int top, int width, int height);
Frame* makeFrame(QWidget* parent, const char* name, const std::string& title, int left, int top, int width, int height);
QLineEdit* makeTextBox(QWidget* parent, const char* name, const std::string& text, int left, int top, int width, int height,
                       bool readOnly = false);
// A text box of several lines with both scroll bars, its lines never wrapped; Tab leaves it. A
// read-only one still takes the focus, and its text can be selected with the keyboard and mouse.
QPlainTextEdit* makeMultiLineBox(QWidget* parent, const char* name, const std::string& text, int left, int top,
                                 int width, int height, bool readOnly = false);
QCheckBox* makeCheckBox(QWidget* parent, const char* name, const std::string& text, int left, int top, int width,
                        int height);
// A list box of one column whose rows are chosen one at a time, in the order they are added.
QListWidget* makeList(QWidget* parent, const char* name, int left, int top, int width, int height);
// A line control, horizontal or vertical, one pixel thick, from one end to the other (both
// included), drawn in a colour of the system's scheme. It takes neither the focus nor clicks.
QWidget* makeLine(QWidget* parent, const char* name, int x1, int y1, int x2, int y2, QPalette::ColorRole colour);
// A drop-down list: the user picks one of its items and cannot type. It starts with nothing
// selected (index -1), as a list filled at design time does, having signalled nothing.
QComboBox* makeDropDownList(QWidget* parent, const char* name, const std::vector<std::string>& items, int left, int top,
                            int width, int height);
// Fills a drop-down list anew, signalling nothing, and leaves nothing selected: Qt would select
// the first item as it is added, and say so.
void fillDropDownList(QComboBox* list, const std::vector<std::string>& items);
Picture* makePicture(QWidget* parent, const char* name, int left, int top, int width, int height);
// A shape: a rectangle filled with one colour (setFillColour), with no border or a one-pixel
// border in the window text colour drawn inside its edge. It takes neither the focus nor clicks.
QFrame* makeShape(QWidget* parent, const char* name, bool border, int left, int top, int width, int height);
void setFillColour(QWidget* shape, const QColor& colour);
// The colour a text box is filled with behind its text.
void setBoxBackground(QWidget* box, const QColor& colour);
// Keeps a text box's text, as the program stores it (UTF-8), within maxBytes: typed or pasted
// text beyond that is cut where it was put in, as a maximum length cuts it.
void limitStoredBytes(QLineEdit* box, int maxBytes);
OptionButton* makeOption(QWidget* parent, const char* name, const std::string& text, int left, int top, int width,
                         int height);
// Takes the focus from the keyboard (Tab) and the mouse, and then moves with the arrow, page,
// Home and End keys, as a scroll bar in a window's tab order does.
QScrollBar* makeScrollBar(QWidget* parent, const char* name, Qt::Orientation orientation, int left, int top, int width,
                          int height);
// A picture control showing the application icon drawn at iconPixels, stretched to its place.
void setupImage(QLabel* image, const char* name, int iconPixels, int left, int top, int width, int height);
// The colour the control's text is drawn in.
void setTextColour(QWidget* control, int red, int green, int blue);
// Runs the procedure, through the guard, when the control is clicked with the left button
// (released over it) while it is enabled, for controls that have no click of their own.
void onClick(QWidget* control, std::function<void()> procedure);
// Runs the procedure, through the guard, whenever the pointer moves over the control, a button
// held or not.
void onMouseMove(QWidget* control, std::function<void()> procedure);
// A tooltip shown as the text it is, whatever markup it seems to hold (Qt would otherwise take
// a path such as "/ai/<i>/x.ai" for rich text); toolTip() gives it back as set. The first call
// installs an event filter: make it when the control is built, not while one of its own events
// is being filtered.
void setPlainToolTip(QWidget* control, const std::string& text);
// Runs the procedure, through the guard, with the Qt key code of every key pressed while the
// control has the focus, before the control itself handles the key.
void onKeyDown(QWidget* control, std::function<void(int)> procedure);
// Bold text in the control's own font.
void makeBold(QWidget* control);
// The application icon, drawn once.
const QIcon& applicationIcon();

}  // namespace ui
