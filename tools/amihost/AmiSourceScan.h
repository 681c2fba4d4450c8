#pragma once

#include <string>
#include <vector>

// A structural check of an .ami parameter file before the parameter parser
// reads it, for what the parser cannot tell: where a fault lies.
//
// The parser reports a syntax fault as a bare result code and silently drops
// or skips some malformed groups. This scan walks the same text (one group
// per "(" outside double quotes, in the order in which the groups begin) and
// refuses, naming the line, everything that the parser would refuse, drop or
// skip, and a few things that a parameter file must not contain:
//   - unbalanced parentheses, an unterminated quote, a NUL byte;
//   - an empty group "()", a group that holds a name only, a group without a
//     name, a double quote inside a name or in the middle of a value;
//   - text between the sub-groups of a group, values in the root group;
//   - anything but blanks after the root group; nesting deeper than MaxDepth.
// A group that holds values and then sub-groups (a table) is passed over as
// the parser drops it: it is listed with Dropped set, its sub-groups are not
// listed. A text that passes parses with AmiParseOk, and the parser's
// entries, in slot order, are the groups that were not dropped.
struct AmiSourceGroup {
    std::string Name; // the group's name, as the parser keeps it
    int Line;         // 1-based line of its "("
    int Depth;        // 1 for the root
    bool Dropped;     // values then sub-groups: not in the parsed tree
};

class AmiSourceScan {
public:
    static constexpr int MaxDepth = 64;

    // Scans `text` (the contents of the file called `name`). On failure
    // returns false with one line "NAME:LINE: what" in `error`.
    static bool Scan(const std::string& text, const std::string& name,
                     std::vector<AmiSourceGroup>& groups, std::string& error);
};
