#pragma once
#include "port/IMessageBox.h"
#include <iostream>
#include <string>

// The program's messages on the command line, word for word as the window would show
// them: on stderr, except that verbs which report through information messages ("12
// records exported.") send those to stdout. Questions are answered Yes/OK: the verbs'
// own flags decide beforehand.
class CliMessageBox final : public IMessageBox {
public:
    enum class Information { ToStderr, ToStdout };
    explicit CliMessageBox(Information information = Information::ToStderr)
        : m_information(information) {}

    using IMessageBox::Show;
    MbResult Show(const std::string& text, const std::string&, MbIcon icon,
                  MbButtons buttons) override {
        const bool report = icon == MbIcon::Information && m_information == Information::ToStdout;
        (report ? std::cout : std::cerr) << text << "\n";
        return (buttons == MbButtons::YesNo || buttons == MbButtons::YesNoCancel) ? MbResult::Yes
                                                                                  : MbResult::Ok;
    }

private:
    Information m_information;
};
