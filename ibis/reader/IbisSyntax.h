#pragma once

#include <string>
#include <string_view>
#include <vector>

// The lexical rules of an IBIS file that its reader applies to each line:
// blanks, comments, keyword names, fields and sub-parameters. Views returned
// point into the text given.
class IbisSyntax {
public:
    // Blank, tab, or a CR inside a line (so that files with stray CRs read
    // like their clean copies).
    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

    static std::string LowerCase(std::string_view text);

    // `text` without blanks at either end.
    static std::string_view Trim(std::string_view text);

    // `text` up to its first `comment` character.
    static std::string_view StripComment(std::string_view text, char comment);

    // A keyword's name as it is looked up: lower case, underscores as
    // blanks, every run of blanks as one, none at either end
    // ("GND_Clamp" and " gnd  clamp" give "gnd clamp").
    static std::string KeywordName(std::string_view name);

    // The blank-separated fields of `text`.
    static void SplitFields(std::string_view text, std::vector<std::string_view>& fields);

    // A sub-parameter line "Name values" or "Name = values" (blanks around
    // "=" optional): returns the name and puts the values in `values`.
    static std::string_view SplitSubparameter(std::string_view text, std::vector<std::string_view>& values);

    // `text` for a one-line message: at most 40 characters and "...",
    // control bytes and bytes outside ASCII as "?".
    static std::string Shown(std::string_view text);

    // Shown(text) in double quotes.
    static std::string Quoted(std::string_view text) { return "\"" + Shown(text) + "\""; }
};
