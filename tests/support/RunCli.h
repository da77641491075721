#pragma once
#include "TempDir.h"
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// Runs kinbook-cli and captures what it says.
struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// The kinbook-cli under test: the one KINBOOK_CLI names, else the one built with the tests
// (the build makes it before them).
inline std::string Cli() {
    const char* cli = std::getenv("KINBOOK_CLI");
    return cli != nullptr ? cli : KINBOOK_CLI_PATH;
}

// For a fixture's SetUp: a missing program fails the tests that need it, never skips them.
inline testing::AssertionResult CliIsThere() {
    if (::access(Cli().c_str(), X_OK) == 0)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "kinbook-cli is missing: '" << Cli() << "'";
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

// wrapper, when given, is a shell command line the program runs under ("setsid -w").
inline CliRun RunCli(const std::vector<std::string>& args, const std::string& wrapper = {}) {
    TempDir capture;
    std::string command = wrapper.empty() ? ShellQuote(Cli()) : wrapper + " " + ShellQuote(Cli());
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
