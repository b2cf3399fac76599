#include "ui/Form.h"

#include <QKeyEvent>
#include <QScreen>
#include <QShowEvent>

#include "ui/Application.h"
#include "ui/Text.h"

ui::detail::ApplicationFirst::ApplicationFirst() { ui::ensureApplication(); }

Form::Form(QWidget* owner) : QDialog(owner) {}

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

void Form::keyPressEvent(QKeyEvent* event) {
    const bool plain = event->modifiers() == Qt::NoModifier;
    if (event->key() == Qt::Key_Escape && plain) {
        // QDialog would reject (and so close) any window; ours close only through their
        // cancel button, which runs that button's own procedure (a disabled one ignores it).
        if (cancelButton_) cancelButton_->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Form::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (centred_) return;
    centred_ = true;
    ui::centreOnScreen(this);
}

void ui::centreOnScreen(QWidget* window) {
    QScreen* screen = window->screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    window->move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
}

void SetTopMost(QWidget* window, bool onTop) {
    // Changing window flags re-creates a native window; done before the first show it costs nothing.
    bool wasVisible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (wasVisible) window->show();
    window->raise();
    window->activateWindow();
}
