#pragma once
#include <string>

// Every message the program shows goes through this one call, so tests can
// assert the exact text, caption, icon and buttons and script the answer.
enum class MbIcon { None, Stop, Exclamation, Information, Question };
enum class MbButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MbResult { Ok, Cancel, Yes, No };

inline constexpr const char* kAppTitle = "Kinbook";

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual MbResult Show(const std::string& text, const std::string& caption, MbIcon icon,
                          MbButtons buttons) = 0;
    // The common case: caption "Kinbook", OK only.
    MbResult Show(const std::string& text, MbIcon icon) {
        return Show(text, kAppTitle, icon, MbButtons::Ok);
    }
};
