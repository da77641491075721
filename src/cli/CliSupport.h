#pragma once
#include "port/IMessageBox.h"
#include <iostream>
#include <string>

// Messages of the program go to stderr, exactly as the program would show them;
// questions are answered Yes/OK (the verbs' own flags decide beforehand).
class StderrMessageBox final : public IMessageBox {
public:
    using IMessageBox::Show;
    MbResult Show(const std::string& text, const std::string&, MbIcon, MbButtons buttons) override {
        std::cerr << text << "\n";
        ++count;
        return (buttons == MbButtons::YesNo || buttons == MbButtons::YesNoCancel) ? MbResult::Yes
                                                                                : MbResult::Ok;
    }
    int count = 0;
};
