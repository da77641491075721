#pragma once
#include "TempDir.h"
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

// Runs the kinbook-cli that ctest names in KINBOOK_CLI and captures what it says.
// Cli() is empty when the variable is not set (the test binary run by hand): skip then.
struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string Cli() {
    const char* cli = std::getenv("KINBOOK_CLI");
    return cli != nullptr ? cli : "";
}

inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

inline CliRun RunCli(const std::vector<std::string>& args) {
    TempDir capture;
    std::string command = ShellQuote(Cli());
    for (const auto& a : args)
        command += " " + ShellQuote(a);
    command += " >" + ShellQuote(capture.File("out")) + " 2>" + ShellQuote(capture.File("err"));
    const int status = std::system(command.c_str());
    CliRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFileBytes(capture.File("out"));
    run.err = ReadFileBytes(capture.File("err"));
    return run;
}
