#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

// The built amihost (AMIHOST_PATH) run as a user runs it, through the shell:
// its exit status (-1 when it did not exit normally) and what it printed.
struct Outcome {
    int Status = -1;
    std::string Output; // standard output, and standard error unless `errors` sends it elsewhere
};

// `arguments`: the command line after the program, quoted for the shell;
// `errors`: where standard error goes (a shell redirection).
inline Outcome Amihost(const std::string& arguments, const std::string& errors = "2>&1")
{
    const std::string command = std::string("'") + AMIHOST_PATH + "' " + arguments + " " + errors;
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return outcome;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        outcome.Output.append(buffer, n);
    const int status = pclose(pipe);
    outcome.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}
