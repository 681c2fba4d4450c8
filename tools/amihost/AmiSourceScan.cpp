#include "tools/amihost/AmiSourceScan.h"

#include <cstring>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// What a group holds so far.
enum Content { Nothing, Values, Groups };

// Cursor over the text that counts lines.
class Cursor {
public:
    Cursor(const std::string& text) : p_(text.data()), end_(text.data() + text.size()) {}
    bool AtEnd() const { return p_ == end_; }
    char Peek() const { return *p_; }
    void Step()
    {
        if (*p_ == '\n')
            ++line_;
        ++p_;
    }
    // At a double quote: steps past the closing one; false at the end of
    // the text without one.
    bool SkipQuoted()
    {
        Step();
        while (p_ != end_ && *p_ != '"')
            Step();
        if (p_ == end_)
            return false;
        Step();
        return true;
    }
    void SkipBlanks()
    {
        while (p_ != end_ && IsBlank(*p_))
            Step();
    }
    int Line() const { return line_; }

private:
    const char* p_;
    const char* end_;
    int line_ = 1;
};

std::string Shown(const std::string& token)
{
    return token.size() > 40 ? token.substr(0, 40) + "..." : token;
}

} // namespace

bool AmiSourceScan::Scan(const std::string& text, const std::string& name,
                         std::vector<AmiSourceGroup>& groups, std::string& error)
{
    groups.clear();
    auto fail = [&](int line, const std::string& what) {
        error = name + ":" + std::to_string(line) + ": " + what;
        groups.clear();
        return false;
    };
    if (const void* nul = std::memchr(text.data(), '\0', text.size())) {
        const std::size_t at = static_cast<const char*>(nul) - text.data();
        int line = 1;
        for (std::size_t i = 0; i < at; ++i)
            line += text[i] == '\n';
        return fail(line, "NUL byte in the text");
    }

    Cursor c(text);
    c.SkipBlanks();
    if (c.AtEnd())
        return fail(c.Line(), "no parameter tree: the file is empty");
    if (c.Peek() != '(')
        return fail(c.Line(), "the parameter tree must begin with \"(\"");

    // One entry per open group: what it holds so far, the line of its "(".
    std::vector<Content> open;
    std::vector<int> openLine;
    std::vector<std::size_t> openIndex; // of each open group in `groups`
    while (true) {
        // At a "(": a new group and its name.
        const int line = c.Line();
        c.Step();
        if (static_cast<int>(open.size()) >= MaxDepth)
            return fail(line, "groups nested deeper than " + std::to_string(MaxDepth) + " levels");
        if (!open.empty())
            open.back() = Groups;
        c.SkipBlanks();
        std::string groupName;
        while (!c.AtEnd() && !IsBlank(c.Peek()) && c.Peek() != '(' && c.Peek() != ')') {
            if (c.Peek() == '"')
                return fail(c.Line(), "double quote inside a group name");
            groupName += c.Peek();
            c.Step();
        }
        if (groupName.empty()) {
            if (c.AtEnd())
                return fail(line, "unbalanced parentheses: this \"(\" is never closed");
            if (c.Peek() == ')')
                return fail(line, "empty group \"()\"");
            if (!open.empty())
                return fail(line, "group without a name");
            // A nameless root "((...))" parses, but a parameter file needs its model name.
            return fail(line, "the root group has no name (expected the model's name)");
        }
        groups.push_back({groupName, line, static_cast<int>(open.size()) + 1, false});
        open.push_back(Nothing);
        openLine.push_back(line);
        openIndex.push_back(groups.size() - 1);

        // Contents up to the next "(" of a sub-group, or the ")" of the innermost group.
        while (true) {
            c.SkipBlanks();
            if (c.AtEnd())
                return fail(openLine.back(), "unbalanced parentheses: this \"(\" is never closed");
            const char ch = c.Peek();
            if (ch == '(' && open.back() == Values) {
                // Values and then a sub-group (a table, say): the parser drops
                // the whole group. Pass over it as the parser does, counting
                // parentheses outside quotes.
                int depth = 1;
                while (depth > 0) {
                    if (c.AtEnd())
                        return fail(openLine.back(), "unbalanced parentheses: this \"(\" is never closed");
                    const char d = c.Peek();
                    const int quoteLine = c.Line();
                    if (d == '"') {
                        if (!c.SkipQuoted())
                            return fail(quoteLine, "unterminated double quote");
                        continue;
                    }
                    depth += d == '(' ? 1 : d == ')' ? -1 : 0;
                    c.Step();
                }
                groups[openIndex.back()].Dropped = true;
                open.pop_back();
                openLine.pop_back();
                openIndex.pop_back();
                continue;
            }
            if (ch == '(')
                break;
            if (ch == ')') {
                if (open.back() == Nothing)
                    return fail(c.Line(), "group \"" + Shown(groupName) + "\" holds a name only");
                c.Step();
                open.pop_back();
                openLine.pop_back();
                openIndex.pop_back();
                if (open.empty()) {
                    c.SkipBlanks();
                    if (!c.AtEnd())
                        return fail(c.Line(), c.Peek() == ')'
                                                  ? "unbalanced parentheses: \")\" closes nothing"
                                                  : "text after the root group");
                    return true;
                }
                groupName.clear();
                continue;
            }
            // A value: a quoted text or a bare word.
            if (open.back() == Groups)
                return fail(c.Line(), "text between the sub-groups of a group");
            if (open.size() == 1)
                return fail(c.Line(), "the root group holds values; it must hold groups");
            open.back() = Values;
            if (ch == '"') {
                const int quoteLine = c.Line();
                if (!c.SkipQuoted())
                    return fail(quoteLine, "unterminated double quote");
                if (!c.AtEnd() && !IsBlank(c.Peek()) && c.Peek() != '(' && c.Peek() != ')')
                    return fail(c.Line(), "text right after a closing double quote");
                continue;
            }
            while (!c.AtEnd() && !IsBlank(c.Peek()) && c.Peek() != '(' && c.Peek() != ')') {
                if (c.Peek() == '"')
                    return fail(c.Line(), "double quote in the middle of a value");
                c.Step();
            }
        }
    }
}
