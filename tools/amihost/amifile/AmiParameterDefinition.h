#pragma once

#include <string>
#include <vector>

#include "params/AmiTree.h"

// One parameter declared in an .ami file: how it is used, its type, and the
// values it may take, with the value a simulator sends by default.
//
// The common IBIS-AMI forms are understood, old and new:
//   (Format Value v)                  (Value v)
//   (Format Range typ min max)        (Range typ min max)
//   (Format List v1 v2 ...)           (List v1 v2 ...)
//   (Format Corner typ slow fast)     (Corner typ slow fast)
//   (Format Increment typ min max d)  (Increment typ min max d)
//   (Format Steps typ min max n)      (Steps typ min max n)
// plus (Default v), which overrides the typical value (for List, the first
// entry is the default when there is none). Usage, type and format are the
// reserved words of the parameter parser (AmiValueKeyword), named in
// messages as AmiVocabulary writes them.
struct AmiParameterDefinition {
    std::vector<std::string> Path; // names from below the root, Model_Specific left out
    int Line = 0;                  // 1-based line of the parameter's "(" in the file
    AmiValueKeyword Usage = AmiKeywordInfo;   // In, Out, InOut or Info
    AmiValueKeyword Type = AmiKeywordString;  // Float, Integer, String, Boolean, Tap or UI
    AmiValueKeyword Format = AmiKeywordValue; // Value, Range, List, Corner, Increment or Steps
    std::vector<std::string> Values; // the format's values in file order (Range: typ min max, ...)
    std::string Default;             // what a simulator sends unless told otherwise

    // Sent to the model in the parameter string of AMI_Init.
    bool Sent() const { return Usage == AmiKeywordIn || Usage == AmiKeywordInOut; }

    // Float, Integer, Tap or UI: values are compared as numbers.
    bool Numeric() const;

    // "de" or "tx_taps.-1": the path joined with dots.
    std::string DottedPath() const;

    // True when `value` is of the parameter's type and allowed by its format;
    // otherwise false with the reason ("3.5 is not an integer", "16 is
    // outside the range 0 .. 15").
    bool Accepts(const std::string& value, std::string& reason) const;

    // `value` as it stands in a parameter string (strings in double quotes).
    std::string Written(const std::string& value) const;

    // "Integer, Range 0 .. 15, default 15".
    std::string Describe() const;

    // "parameter de (m.ami:7, Integer, Range 0 .. 15, default 15)": where a
    // value given for it is judged.
    std::string Cited(const std::string& fileName) const;

private:
    bool AcceptsType(const std::string& value, std::string& reason) const;
    bool AcceptsFormat(const std::string& value, std::string& reason) const;
};
