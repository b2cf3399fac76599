#include "support/FakeDialogs.h"

#include <gtest/gtest.h>

void FakeDialogs::info(QWidget* owner, const std::string& title, const std::string& text) {
    shown.push_back({"info", title, text, ui::boxOwner(owner)});
}

bool FakeDialogs::askYesNo(QWidget* owner, const std::string& title, const std::string& text, BoxIcon icon) {
    shown.push_back({"yesno", title, text, ui::boxOwner(owner), icon});
    if (yesNoAnswers.empty()) {
        ADD_FAILURE() << "unscripted Yes/No question: " << text;
        return false;
    }
    bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

void FakeDialogs::critical(QWidget* owner, const std::string& title, const std::string& text) {
    shown.push_back({"critical", title, text, ui::boxOwner(owner)});
}

std::optional<std::string> FakeDialogs::openFile(QWidget* owner, const FilePickerSpec& spec) {
    shown.push_back({"pick", spec.title, spec.startFolder, ui::boxOwner(owner)});
    pickSpecs.push_back(spec);
    if (pickAnswers.empty()) {
        ADD_FAILURE() << "unscripted file pick: " << spec.title;
        return std::nullopt;
    }
    auto answer = pickAnswers.front();
    pickAnswers.pop_front();
    return answer;
}

void FakeDialogs::setClipboardText(const std::string& text) { clipboard = text; }

std::vector<std::string> FakeDialogs::infos() const {
    std::vector<std::string> out;
    for (const auto& s : shown)
        if (s.kind == "info") out.push_back(s.text);
    return out;
}
