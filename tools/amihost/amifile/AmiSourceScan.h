#pragma once

#include <string>

// A structural check of an .ami parameter file before the parameter parser
// reads it, for what the parser cannot tell: where a fault lies.
//
// The parser reports a syntax fault as a bare result code and silently drops
// or skips some malformed groups. This scan walks the same text (one group
// per "(" outside double quotes) and refuses, naming the line, everything
// that the parser would refuse or skip, and a few things that a parameter
// file must not contain:
//   - unbalanced parentheses, an unterminated quote, a NUL byte;
//   - an empty group "()", a group that holds a name only, a group without a
//     name, a double quote inside a name or in the middle of a value;
//   - text between the sub-groups of a group, values in the root group;
//   - anything but blanks after the root group; nesting deeper than MaxDepth.
// A group that holds values and then sub-groups (a table) passes: the parser
// drops it whole, and so does the reader of definitions. A text that passes
// parses with AmiParseOk.
class AmiSourceScan {
public:
    static constexpr int MaxDepth = 64;

    // Checks `text` (the contents of the file called `name`). On failure
    // returns false with one line "NAME:LINE: what" in `error`.
    static bool Check(const std::string& text, const std::string& name, std::string& error);
};
