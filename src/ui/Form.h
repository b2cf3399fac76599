#pragma once
#include <QAbstractButton>
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <string>

#include "ui/Controls.h"

namespace ui::detail {
// Constructed before QDialog, so that the application exists when the first window does.
struct ApplicationFirst {
    ApplicationFirst();
};
}  // namespace ui::detail

// Every window of the program: a fixed-size dialog laid out in twips (15 twips = 1 pixel),
// the stand-in for MS Sans Serif 8.25 pt, the application icon, centred on the screen when shown.
// Load = construct and run load(); show modally = showModal(); unload = destroy.
//
// Enter works as on the classic desktop: it presses the focused push button when one has the
// focus, otherwise the window's default button (setDefaultButton), or nothing. Only that one
// button is drawn as the default; Qt's habit of making the first button a default is undone.
class Form : private ui::detail::ApplicationFirst, public QDialog {
public:
    explicit Form(QWidget* owner = nullptr);
    ~Form() override;

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
    // The button Enter presses when no push button has the focus.
    void setDefaultButton(QPushButton* button);
    // Opens centred on the window that owns it rather than on the screen (still on the screen
    // when it has no owner).
    void centreOnOwner() { centreOnOwner_ = true; }
    // Not listed in the taskbar (on X; other platforms have none to ask).
    void keepOutOfTaskbar() { outOfTaskbar_ = true; }

    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The focused push button, or else the window's default button (or none).
    QPushButton* enterButton() const;
    // Draws that button, and that button only, as the default.
    void showDefault();

    bool unloaded_ = false;
    bool centred_ = false;
    bool centreOnOwner_ = false;
    bool outOfTaskbar_ = false;
    QPointer<QAbstractButton> cancelButton_;
    QPointer<QPushButton> defaultButton_;
    QMetaObject::Connection focusWatch_;
};

namespace ui {
// Moves a window so that its frame stands in the middle of its screen's free area.
void centreOnScreen(QWidget* window);
// Moves a window so that its frame stands in the middle of the owner's, kept on the owner's screen.
void centreOver(QWidget* window, const QWidget* owner);
}  // namespace ui

// Keeps a window above all others (or not) without moving it, and activates it.
void SetTopMost(QWidget* window, bool onTop);
