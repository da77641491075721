#pragma once
#include <optional>
#include <string>

// The open and save file dialogs. The filter is in the "Name|pattern|Name|pattern||"
// form; the result's filterIndex is 1-based like the filter's pairs.
struct FileChoice {
    std::string path;
    int filterIndex = 1;
};

struct FileDialogRequest {
    std::string filter;      // "Kinbook Data file (*.kbk)|*.kbk|All Files (*.*)|*.*||"
    std::string initialName; // "*.kbk"
    std::string defaultExt;  // empty: none added
    std::string title;       // empty: the platform's default
    int filterIndex = 1;
};

class IFileChooser {
public:
    virtual ~IFileChooser() = default;
    virtual std::optional<FileChoice> ChooseOpen(const FileDialogRequest& request) = 0;
    virtual std::optional<FileChoice> ChooseSave(const FileDialogRequest& request) = 0;
};
