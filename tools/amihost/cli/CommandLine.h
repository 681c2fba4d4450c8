#pragma once

#include <string>

#include "tools/amihost/host/HostRequest.h"

// The amihost command line, parsed with CLI11 from OptionTable:
//   amihost run   FILE.ibs [--model NAME] [options]
//   amihost sweep FILE.ibs [--model NAME] --param NAME=VALUES [options]
//   amihost check FILE.ibs [--model NAME] [options]
//   amihost iv    FILE.ibs [--model NAME] [--out DIR]
//   amihost --help | --version
// run, sweep and check also take LIBRARY FILE.ami instead of FILE.ibs (one
// file is an .ibs file, two a library and its .ami file).
// Options may stand before, between and after the file names; a repeated
// option takes its last value (--set gathers all). Every fault gives one
// line that names the option; the caller exits with status 2 for it.
class CommandLine {
public:
    // False with one line in `error` for any fault; -h/--help (or "help")
    // anywhere gives Action Help, --version Action Version.
    static bool Parse(int argc, char** argv, HostRequest& options, std::string& error);

    // The text of --help: usage lines, then every option of the table.
    static std::string Usage();

    // "amihost 1.2.0".
    static std::string Version();
};
