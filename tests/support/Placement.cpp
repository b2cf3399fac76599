#include "support/Placement.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace {
std::string nameOf(const QWidget* w) { return w->objectName().toStdString(); }

std::string pixels(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
           std::to_string(r.height());
}
}  // namespace

std::vector<std::string> placementFaults(const std::vector<Placement>& placements) {
    std::vector<std::string> faults;
    for (const Placement& p : placements) {
        const std::string name = nameOf(p.control);
        QRect expected(p.twips.x() / 15, p.twips.y() / 15, p.twips.width() / 15, p.twips.height() / 15);
        if (p.twips.width() == 0) expected.setSize(p.control->size());
        if (p.control->geometry() != expected)
            faults.push_back(name + " stands at " + pixels(p.control->geometry()) + ", not " + pixels(expected));
        if (nameOf(p.control->parentWidget()) != p.parent)
            faults.push_back(name + " lies in " + nameOf(p.control->parentWidget()) + ", not " + p.parent);
        if (shownText(p.control) != p.text)
            faults.push_back(name + " shows \"" + shownText(p.control) + "\", not \"" + p.text + "\"");
    }
    return faults;
}

std::string shownText(const QWidget* control) {
    QString text;
    if (auto* b = qobject_cast<const QAbstractButton*>(control)) text = b->text();
    if (auto* l = qobject_cast<const QLabel*>(control)) text = l->text();
    if (auto* f = qobject_cast<const QGroupBox*>(control)) text = f->title();
    if (auto* e = qobject_cast<const QLineEdit*>(control)) text = e->text();
    if (auto* d = qobject_cast<const QComboBox*>(control)) text = d->currentText();
    return text.toStdString();
}

std::vector<std::string> tabOrder(const QWidget* window) {
    std::vector<std::string> order;
    for (const QWidget* c = window->nextInFocusChain(); c != window; c = c->nextInFocusChain())
        if ((c->focusPolicy() & Qt::TabFocus) && c->window() == window) order.push_back(nameOf(c));
    return order;
}
