#include "model/DefaultDataPath.h"
#include "model/NoCase.h"

std::string DataPathFromCommandLine(std::string_view commandLine) {
    std::string path;
    path.reserve(commandLine.size() + 32);
    for (char c : commandLine)
        path.push_back(kb::FoldAscii(c));
    if (!path.empty() && path.front() == '"')
        path.erase(0, 1);
    const auto slash = path.rfind('\\');
    if (slash != std::string::npos)
        path.erase(slash + 1);
    return path + kDataFileName;
}
