#include "support/EnterCheck.h"

#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

std::string nameOf(const QObject* o) { return o ? o->objectName().toStdString() : std::string(); }

// The controls Tab reaches, from the first.
std::vector<QPointer<QWidget>> tabOrder(QWidget* window) {
    std::vector<QPointer<QWidget>> controls;
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain())
        if (w->window() == window && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(window))
            controls.emplace_back(w);
    return controls;
}

void focusIn(QWidget* window, QWidget* control) {
    if (!window->isVisible()) window->show();
    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window);
    control->setFocus(Qt::TabFocusReason);
}

}  // namespace

std::vector<std::string> enterFaults(QWidget* window, const std::string& defaultButton) {
    std::vector<std::string> faults;
    const QList<QPushButton*> buttons = window->findChildren<QPushButton*>();
    QPushButton* named = window->findChild<QPushButton*>(QString::fromStdString(defaultButton));
    if (!defaultButton.empty() && !named) return {"no button " + defaultButton};

    for (const QPointer<QWidget>& control : tabOrder(window)) {
        if (!control) continue;
        focusIn(window, control);
        const std::string where = "with the focus in " + nameOf(control) + ", ";
        QPushButton* meant = qobject_cast<QPushButton*>(control.data());
        if (!meant) meant = named;
        for (QPushButton* button : buttons)
            if (button->isDefault() != (button == meant))
                faults.push_back(where + nameOf(button) + (button->isDefault() ? " is" : " is not") + " drawn as the default");

        std::vector<std::string> pressed;
        std::vector<QMetaObject::Connection> listening;
        for (QPushButton* button : buttons)
            listening.push_back(QObject::connect(button, &QPushButton::clicked, [&pressed, button] {
                pressed.push_back(nameOf(button));
            }));
        QTest::keyClick(control, Qt::Key_Return);
        for (const auto& c : listening) QObject::disconnect(c);

        std::vector<std::string> expected;
        if (meant && meant->isEnabled()) expected.push_back(nameOf(meant));
        if (pressed != expected) {
            std::string names;
            for (const auto& n : pressed) names += " " + n;
            faults.push_back(where + "Enter pressed" + (names.empty() ? " nothing" : names) + " instead of " +
                             (expected.empty() ? "nothing" : expected.front()));
        }
    }
    return faults;
}
