#pragma once

#include <string>
#include <vector>

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
// entry is the default when there is none). Types: Float, Integer, String,
// Boolean, Tap, UI.
struct AmiParameterDefinition {
    enum UsageKind { UsageIn, UsageOut, UsageInOut, UsageInfo };
    enum TypeKind { TypeFloat, TypeInteger, TypeString, TypeBoolean, TypeTap, TypeUI };
    enum FormatKind { FormatValue, FormatRange, FormatList, FormatCorner, FormatIncrement, FormatSteps };

    std::vector<std::string> Path; // names from below the root, Model_Specific left out
    int Line = 0;                  // 1-based line of the parameter's "(" in the file
    UsageKind Usage = UsageInfo;
    TypeKind Type = TypeString;
    FormatKind Format = FormatValue;
    std::vector<std::string> Values; // the format's values in file order (Range: typ min max, ...)
    std::string Default;             // what a simulator sends unless told otherwise

    // Sent to the model in the parameter string of AMI_Init.
    bool Sent() const { return Usage == UsageIn || Usage == UsageInOut; }

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

    // Names as they appear in .ami files.
    static const char* UsageName(UsageKind usage);
    static const char* TypeName(TypeKind type);
    static const char* FormatName(FormatKind format);
};
