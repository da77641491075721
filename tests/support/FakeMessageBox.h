#pragma once
#include "port/IMessageBox.h"
#include <deque>
#include <string>
#include <vector>

// Records every message and answers from a script (OK / the first button when the
// script is empty).
class FakeMessageBox final : public IMessageBox {
public:
    struct Shown {
        std::string text;
        std::string caption;
        MbIcon icon;
        MbButtons buttons;
    };
    using IMessageBox::Show;
    MbResult Show(const std::string& text, const std::string& caption, MbIcon icon,
                  MbButtons buttons) override {
        shown.push_back({text, caption, icon, buttons});
        if (!answers.empty()) {
            MbResult r = answers.front();
            answers.pop_front();
            return r;
        }
        switch (buttons) {
        case MbButtons::YesNo:
        case MbButtons::YesNoCancel:
            return MbResult::Yes;
        default:
            return MbResult::Ok;
        }
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& s : shown)
            t.push_back(s.text);
        return t;
    }
    std::vector<Shown> shown;
    std::deque<MbResult> answers;
};
