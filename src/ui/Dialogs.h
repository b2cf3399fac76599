#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QWidget;

// What an open-file picker asks for: its (description, pattern) pairs, starting folder and title.
struct FilePickerSpec {
    std::vector<std::pair<std::string, std::string>> filters;
    std::string startFolder;
    std::string title;
};

// The icon a question shows.
enum class BoxIcon { None, Exclamation };

// The program's modal boxes and pickers. The test seam: window logic talks to this, tests
// script the answers.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Information icon, one OK button.
    virtual void info(QWidget* owner, const std::string& title, const std::string& text) = 0;
    // Yes and No buttons, no icon unless one is asked for; true for Yes.
    virtual bool askYesNo(QWidget* owner, const std::string& title, const std::string& text,
                          BoxIcon icon = BoxIcon::None) = 0;
    // Critical icon, one OK button.
    virtual void critical(QWidget* owner, const std::string& title, const std::string& text) = 0;
    // The full path typed or chosen (it need not exist), or nothing when cancelled.
    virtual std::optional<std::string> openFile(QWidget* owner, const FilePickerSpec& spec) = 0;
    virtual void setClipboardText(const std::string& text) = 0;
};

namespace ui {
// The window a box belongs to: the one it is shown from, or else the window whose modal show is
// running, or else the active window; none when nothing is shown.
QWidget* boxOwner(QWidget* owner);
}  // namespace ui

// Qt's message boxes and its own (non-native) file dialog, each owned by ui::boxOwner.
class QtDialogs : public Dialogs {
public:
    void info(QWidget* owner, const std::string& title, const std::string& text) override;
    bool askYesNo(QWidget* owner, const std::string& title, const std::string& text,
                  BoxIcon icon = BoxIcon::None) override;
    void critical(QWidget* owner, const std::string& title, const std::string& text) override;
    std::optional<std::string> openFile(QWidget* owner, const FilePickerSpec& spec) override;
    void setClipboardText(const std::string& text) override;
};
