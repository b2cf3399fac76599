#pragma once
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/Dialogs.h"

// Scripted boxes and pickers: records what was shown, answers from queues. An unscripted
// question or pick fails the test instead of blocking.
class FakeDialogs : public Dialogs {
public:
    struct Shown {
        std::string kind;  // "info", "yesno", "critical", "pick"
        std::string title;
        std::string text;
        QWidget* owner = nullptr;  // the window the box belongs to, as the real boxes choose it
        BoxIcon icon = BoxIcon::None;  // a question's
    };

    std::vector<Shown> shown;
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<std::string>> pickAnswers;
    std::vector<FilePickerSpec> pickSpecs;
    std::string clipboard;

    void info(QWidget* owner, const std::string& title, const std::string& text) override;
    bool askYesNo(QWidget* owner, const std::string& title, const std::string& text,
                  BoxIcon icon = BoxIcon::None) override;
    void critical(QWidget* owner, const std::string& title, const std::string& text) override;
    std::optional<std::string> openFile(QWidget* owner, const FilePickerSpec& spec) override;
    void setClipboardText(const std::string& text) override;

    // Texts of the information boxes shown, in order.
    std::vector<std::string> infos() const;
};
