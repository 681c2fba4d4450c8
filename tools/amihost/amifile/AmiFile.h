#pragma once

#include <string>
#include <vector>

#include "tools/amihost/amifile/AmiDeclarations.h"
#include "tools/amihost/amifile/AmiParameterDefinition.h"

// An .ami parameter file as a simulator reads it: the model's root name, the
// parameters it may send to AMI_Init (Usage In and InOut, from Model_Specific
// or directly below the root) and the reserved flags that shape the flow.
//
// The text is read by AmiGrammar into a tree with the line of every group
// (the tree the model's own parameter parser builds from it); AmiDefinitionReader
// then reads the definitions out of the tree. Every fault gives one line
// "FILE:LINE: what" (a file that is not text: "FILE: not an .ami file: ...").
class AmiFile {
public:
    static constexpr std::size_t MaxBytes = 16u << 20;

    // Reads the contents `text` of the file called `name` into `file`. On
    // failure returns false with the reason in `error`.
    static bool Read(const std::string& text, const std::string& name, AmiFile& file,
                     std::string& error);

    // The sent parameter whose dotted path is `key`, or else whose name is
    // `key`; null with the reason when there is none or several.
    const AmiParameterDefinition* Find(const std::string& key, std::string& error) const;

    std::string FileName;
    std::string RootName;                           // the model's name, first in the string
    std::vector<AmiParameterDefinition> Parameters; // the sent (In and InOut) ones, file order
    int GetWaveExists = -1;      // Reserved GetWave_Exists: 1 True, 0 False, -1 not declared
    int InitReturnsImpulse = -1; // Reserved Init_Returns_Impulse, likewise
    std::vector<AmiDeclarations::Entry> Declared; // every declared parameter, any usage, file order
    long IgnoreBits = -1;        // Reserved Ignore_Bits: bits a simulator leaves out at the start; -1 not declared
};
