#pragma once
#include <QDialog>
#include <functional>
#include <QPointer>
#include <QAbstractButton>
#include <string>

class QGroupBox;
class QIcon;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui::detail {
// Constructed before QDialog, so that the application exists when the first window does.
struct ApplicationFirst {
    ApplicationFirst();
};
}  // namespace ui::detail

// Every window of the program: a fixed-size dialog laid out in twips (15 twips = 1 pixel),
// MS Sans Serif 8.25 pt, the application icon, centred on the screen when shown.
// Load = construct and run load(); show modally = showModal(); unload = destroy.
class Form : private ui::detail::ApplicationFirst, public QDialog {
public:
    explicit Form(QWidget* owner = nullptr);

    static constexpr int TwipsPerPixel = 15;
    static int px(int twips) { return twips / TwipsPerPixel; }

    // The window's caption and client area in twips.
    void setupWindow(const std::string& caption, int widthTwips, int heightTwips);
    // Places a control in twips, relative to its parent.
    static void place(QWidget* control, int left, int top, int width, int height);

    // The window's load procedure; a failure here means the window is never shown.
    virtual void load() {}

    // Shows the window modally unless it unloaded itself; returns when it hides or closes.
    void showModal();

    // Unloads the window from inside its own procedures: it hides and is marked gone.
    void unload();
    bool isUnloaded() const { return unloaded_; }

    // Escape closes only a window that has a cancel button.
    void setCancelButton(QAbstractButton* button) { cancelButton_ = button; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool unloaded_ = false;
    bool centred_ = false;
    QPointer<QAbstractButton> cancelButton_;
};

// Small builders for the standard controls; each gets its given name as object name and is
// placed in twips. Texts are plain: nothing in them is read as markup.
namespace ui {
// Wraps words when its height holds more than one line, as tall captions are meant to.
QLabel* makeLabel(QWidget* parent, const char* name, const std::string& text, int left, int top, int width, int height);
QPushButton* makeButton(QWidget* parent, const char* name, const std::string& text, int left, int top, int width, int height);
// A titled frame that groups controls; place its children relative to it.
QGroupBox* makeFrame(QWidget* parent, const char* name, const std::string& title, int left, int top, int width, int height);
QLineEdit* makeTextBox(QWidget* parent, const char* name, const std::string& text, int left, int top, int width, int height,
                       bool readOnly = false);
// A picture control showing the application icon drawn at iconPixels, stretched to its place.
void setupImage(QLabel* image, const char* name, int iconPixels, int left, int top, int width, int height);
// The colour the control's text is drawn in.
void setTextColour(QWidget* control, int red, int green, int blue);
// Runs the procedure, through the guard, when the control is clicked with the left button
// (released over it), for controls that have no click of their own.
void onClick(QWidget* control, std::function<void()> procedure);
// Bold text in the control's own font.
void makeBold(QWidget* control);
// The application icon, drawn once.
const QIcon& applicationIcon();
}  // namespace ui

// Keeps a window above all others (or not) without moving it, and activates it.
void SetTopMost(QWidget* window, bool onTop);
