#pragma once
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Acts on windows while a modal show blocks the test: every few milliseconds the action runs
// on each visible top-level window. The driver records the captions of the windows it saw.
class WindowDriver {
public:
    // The default action closes every window it sees.
    explicit WindowDriver(std::function<void(QWidget*)> action = nullptr);
    ~WindowDriver();

    const QStringList& seen() const { return seen_; }

private:
    class Impl;
    Impl* impl_;
    QStringList seen_;
};
