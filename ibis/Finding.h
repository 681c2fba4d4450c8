#pragma once

#include <string>

// One finding of a check of a model kit (its .ibs file, its .ami files, its
// libraries), levelled as IBIS checkers level theirs:
//   Error       the kit breaks a rule of IBIS or IBIS-AMI, or a simulator
//               refuses it, cannot run it or computes a wrong result with it
//   Warning     most likely wrong, though a simulator may run it
//   Caution     possibly wrong; worth a look
//   Note        for information
//   ProgramBug  a fault of the checker itself, not of the kit
// An Error or a ProgramBug fails the check.
struct Finding {
    enum Level { Error, Warning, Caution, Note, ProgramBug };
    static constexpr int Levels = 5;

    Level Severity = Note;
    std::string Where; // "FILE:LINE", "FILE", or empty when no file is concerned
    std::string What;  // one line
    // The rule that found it ("line-length", "c-comp", ...), so that a report
    // can summarise the repeats of one rule; empty for findings of no rule.
    std::string Rule = {};

    // "ERROR", "WARNING", "CAUTION", "NOTE" or "PROGRAM BUG".
    static const char* Name(Level level)
    {
        static const char* const names[Levels] = {"ERROR", "WARNING", "CAUTION", "NOTE", "PROGRAM BUG"};
        return names[level];
    }

    bool Fails() const { return Severity == Error || Severity == ProgramBug; }

    // "WHERE: WHAT", or WHAT alone.
    std::string Text() const { return Where.empty() ? What : Where + ": " + What; }
};
