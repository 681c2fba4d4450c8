#pragma once

#include <string>

// The platform word of an [Algorithmic Model] Executable line,
// SYSTEM_COMPILER_BITS: "Linux_gcc_64", "Windows_VisualStudio_64",
// "Linux_gcc4.8.5_64". The system is the text before the first underscore,
// the bits the digits after the last one, the compiler what lies between
// (it may hold underscores itself).
struct IbisPlatform {
    std::string System;   // "Linux", "Windows", ...; empty when the word is malformed
    std::string Compiler; // "gcc", "VisualStudio", ...
    int Bits = 0;         // 32 or 64 as written; 0 when malformed

    // Splits `word`; a word without a system, a compiler and all-digit bits
    // gives an empty System and Bits 0, which matches no host.
    static IbisPlatform Parse(const std::string& word);

    // The platform this program runs on, with the compiler that IBIS kits
    // name for it: Linux_gcc_64 on 64-bit Linux, Windows_VisualStudio_64 on
    // 64-bit Windows (32-bit builds likewise with 32). Elsewhere System is
    // empty and no Executable line matches.
    static IbisPlatform Host();

    // Same system (case-insensitive) and bitness: a library this host can load.
    bool Runs(const IbisPlatform& line) const;

    // Runs() and the same compiler (case-insensitive): the line a kit writes
    // for this host.
    bool Prefers(const IbisPlatform& line) const;

    // "64-bit Linux".
    std::string Describe() const;
};
