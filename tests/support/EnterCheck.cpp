#include "support/EnterCheck.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <map>

namespace {

std::string nameOf(const QObject* o) { return o ? o->objectName().toStdString() : std::string(); }

// The next control after `from` that Tab reaches, or none when the chain is back at the window.
// Whether a control is enabled is asked afresh at each step, since a press may enable or
// disable controls further on; whether it takes the focus from Tab is asked of the policies it
// started with (an option button gives that up while another of its group has the focus).
using Policies = std::map<const QWidget*, Qt::FocusPolicy>;

Policies policiesOf(QWidget* window) {
    Policies policies;
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain())
        policies[w] = w->focusPolicy();
    return policies;
}

QWidget* nextReachable(QWidget* window, QWidget* from, const Policies& policies) {
    for (QWidget* w = from->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        const auto policy = policies.find(w);
        if (policy != policies.end() && (policy->second & Qt::TabFocus) && w->window() == window && w->isEnabled() &&
            w->isVisibleTo(window))
            return w;
    }
    return nullptr;
}

void focusIn(QWidget* window, QWidget* control) {
    if (!window->isVisible()) window->show();
    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window);
    // The offscreen platform keeps a window that a press hid as its focus window, so showing it
    // again activates nothing: the application is told directly.
    if (!window->isActiveWindow()) QApplication::setActiveWindow(window);
    control->setFocus(Qt::TabFocusReason);
}

}  // namespace

std::vector<std::string> enterFaults(QWidget* window, const std::string& defaultButton) {
    std::vector<std::string> faults;
    const QList<QPushButton*> buttons = window->findChildren<QPushButton*>();
    QPushButton* named = window->findChild<QPushButton*>(QString::fromStdString(defaultButton));
    if (!defaultButton.empty() && !named) return {"no button " + defaultButton};

    const Policies policies = policiesOf(window);
    for (QPointer<QWidget> control = nextReachable(window, window, policies); control;
         control = control ? nextReachable(window, control, policies) : nullptr) {
        focusIn(window, control);
        const std::string where = "with the focus in " + nameOf(control) + ", ";
        QPushButton* meant = qobject_cast<QPushButton*>(control.data());
        if (!meant) meant = named;
        for (QPushButton* button : buttons)
            if (button->isDefault() != (button == meant))
                faults.push_back(where + nameOf(button) + (button->isDefault() ? " is" : " is not") + " drawn as the default");

        // As it stands when Enter comes: what the press does may disable it.
        const bool meantEnabled = meant && meant->isEnabled();
        std::vector<std::string> pressed;
        std::vector<QMetaObject::Connection> listening;
        for (QPushButton* button : buttons)
            listening.push_back(QObject::connect(button, &QPushButton::clicked, [&pressed, button] {
                pressed.push_back(nameOf(button));
            }));
        QTest::keyClick(control, Qt::Key_Return);
        for (const auto& c : listening) QObject::disconnect(c);

        std::vector<std::string> expected;
        if (meantEnabled) expected.push_back(nameOf(meant));
        if (pressed != expected) {
            std::string names;
            for (const auto& n : pressed) names += " " + n;
            faults.push_back(where + "Enter pressed" + (names.empty() ? " nothing" : names) + " instead of " +
                             (expected.empty() ? "nothing" : expected.front()));
        }
    }
    return faults;
}
