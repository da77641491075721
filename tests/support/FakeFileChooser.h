#pragma once
#include "port/IFileChooser.h"
#include <deque>
#include <optional>
#include <vector>

// Answers file dialogs from a script; an empty script cancels.
class FakeFileChooser final : public IFileChooser {
public:
    std::optional<FileChoice> ChooseOpen(const FileDialogRequest& r) override {
        return Next(r, false);
    }
    std::optional<FileChoice> ChooseSave(const FileDialogRequest& r) override {
        return Next(r, true);
    }
    std::deque<std::optional<FileChoice>> answers;
    struct Asked {
        FileDialogRequest request;
        bool save;
    };
    std::vector<Asked> asked;

private:
    std::optional<FileChoice> Next(const FileDialogRequest& r, bool save) {
        asked.push_back({r, save});
        if (answers.empty())
            return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
};
