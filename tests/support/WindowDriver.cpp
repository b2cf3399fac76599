#include "support/WindowDriver.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "ui/Application.h"

class WindowDriver::Impl {
public:
    QTimer timer;
};

WindowDriver::WindowDriver(std::function<void(QWidget*)> action) : impl_(new Impl) {
    ui::ensureApplication();
    if (!action) action = [](QWidget* w) { w->close(); };
    impl_->timer.setInterval(10);
    QObject::connect(&impl_->timer, &QTimer::timeout, [this, action] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible()) continue;
            seen_ << w->windowTitle();
            action(w);
        }
    });
    impl_->timer.start();
}

WindowDriver::~WindowDriver() { delete impl_; }
