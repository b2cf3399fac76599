#include "ui/Form.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QShowEvent>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

#include "ui/Application.h"
#include "ui/Text.h"

ui::detail::ApplicationFirst::ApplicationFirst() { ui::ensureApplication(); }

namespace {

// Adds a state to a window that is not mapped yet. Qt has no call for the taskbar's state, but
// it keeps the states it does not manage that stand on a window when it maps it. Both atoms are
// asked for in one round trip, and the state is appended without reading the list first: a window
// that is not mapped holds no states but those it is given, and a repeated one means nothing more.
void addWindowState(QWidget* window, const char* name) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    // Not on X (the tests' offscreen platform): the interface is there, its connection is not.
    xcb_connection_t* x = x11 ? x11->connection() : nullptr;
    if (!x) return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    xcb_atom_t atoms[2] = {XCB_ATOM_NONE, XCB_ATOM_NONE};
    const char* names[2] = {"_NET_WM_STATE", name};
    xcb_intern_atom_cookie_t asked[2];
    for (int i = 0; i < 2; ++i) asked[i] = xcb_intern_atom(x, 0, static_cast<uint16_t>(std::strlen(names[i])), names[i]);
    for (int i = 0; i < 2; ++i) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(x, asked[i], nullptr);
        if (reply) atoms[i] = reply->atom;
        std::free(reply);
    }
    if (atoms[0] == XCB_ATOM_NONE || atoms[1] == XCB_ATOM_NONE) return;
    xcb_change_property(x, XCB_PROP_MODE_APPEND, id, atoms[0], XCB_ATOM_ATOM, 32, 1, &atoms[1]);
    xcb_flush(x);
}

}  // namespace

Form::Form(QWidget* owner) : QDialog(owner) {
    // Focus moving into or out of a button changes which button Enter presses.
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* before, QWidget* now) {
        if ((before && before->window() == this) || (now && now->window() == this)) showDefault();
    });
}

// The children go after this body, and their focus with them: nothing may look at this window then.
Form::~Form() { disconnect(focusWatch_); }

void Form::setupWindow(const std::string& caption, int widthTwips, int heightTwips) {
    setWindowTitle(qs(caption));
    // Fixed single border: a close box, no maximise or minimise, no resizing.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(px(widthTwips), px(heightTwips));
    setFont(ui::dialogFont());
    setWindowIcon(ui::applicationIcon());
}

void Form::place(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(px(left), px(top), px(width), px(height));
}

void Form::showModal() {
    if (unloaded_) return;
    exec();
}

void Form::unload() {
    unloaded_ = true;
    // Ends a running exec(); before the first show it only keeps the window hidden.
    hide();
}

void Form::setDefaultButton(QPushButton* button) {
    defaultButton_ = button;
    showDefault();
}

void Form::setVisible(bool visible) {
    if (visible) {
        // An auto-default button becomes the dialog's default when it first takes the focus, and
        // QDialog makes the first one a default when none is set: both outlive the focus.
        for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(false);
        showDefault();
    }
    QDialog::setVisible(visible);
}

QPushButton* Form::enterButton() const {
    auto* focused = qobject_cast<QPushButton*>(focusWidget());
    return focused ? focused : defaultButton_.data();
}

void Form::showDefault() {
    QPushButton* shown = enterButton();
    for (QPushButton* button : findChildren<QPushButton*>())
        if (button != shown && button->window() == this) button->setDefault(false);
    if (shown) shown->setDefault(true);
}

void Form::keyPressEvent(QKeyEvent* event) {
    const bool plain = event->modifiers() == Qt::NoModifier;
    if (event->key() == Qt::Key_Escape && plain) {
        // QDialog would reject (and so close) any window; ours close only through their
        // cancel button, which runs that button's own procedure (a disabled one ignores it).
        if (cancelButton_) cancelButton_->click();
        event->accept();
        return;
    }
    const bool enter = (event->key() == Qt::Key_Return && plain) ||
                       (event->key() == Qt::Key_Enter && (plain || event->modifiers() == Qt::KeypadModifier));
    if (enter) {
        // Reached when the control with the focus had no use for Enter. A focused button presses
        // itself before it gets here.
        QPushButton* pressed = enterButton();
        if (pressed && pressed->isVisible() && pressed->isEnabled()) pressed->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Form::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Sent just before the window is mapped (a spontaneous one comes after, from the system).
    if (outOfTaskbar_ && !event->spontaneous()) addWindowState(this, "_NET_WM_STATE_SKIP_TASKBAR");
    if (centred_) return;
    centred_ = true;
    if (centreOnOwner_ && parentWidget())
        ui::centreOver(this, parentWidget()->window());
    else
        ui::centreOnScreen(this);
}

void ui::centreOnScreen(QWidget* window) {
    QScreen* screen = window->screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    window->move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
}

void ui::centreOver(QWidget* window, const QWidget* owner) {
    const QRect frame = window->frameGeometry();
    QRect placed(QPoint(0, 0), frame.size());
    placed.moveCenter(owner->frameGeometry().center());
    if (QScreen* screen = owner->screen()) {
        // An owner near an edge must not push the title bar off the screen.
        const QRect area = screen->availableGeometry();
        placed.moveLeft(std::max(area.left(), std::min(placed.left(), area.right() + 1 - placed.width())));
        placed.moveTop(std::max(area.top(), std::min(placed.top(), area.bottom() + 1 - placed.height())));
    }
    window->move(placed.topLeft());
}

void SetTopMost(QWidget* window, bool onTop) {
    // Changing window flags re-creates a native window; done before the first show it costs nothing.
    bool wasVisible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (wasVisible) window->show();
    window->raise();
    window->activateWindow();
}
