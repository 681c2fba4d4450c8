#include "tools/amihost/amifile/AmiSourceScan.h"

#include <cstring>
#include <vector>

#include "params/AmiText.h"

namespace {

using AmiText::IsBlank;

// What a group holds so far.
enum Content { Nothing, Values, Groups };

// One open group: its name, the line of its "(", what it holds.
struct OpenGroup {
    std::string Name;
    int Line;
    Content Holds;
};

std::string Shown(const std::string& token)
{
    return token.size() > 40 ? token.substr(0, 40) + "..." : token;
}

// Walks the text group by group with one stack of open groups; every method
// returns false after Fail has written the fault.
class Scanner {
public:
    Scanner(const std::string& text, const std::string& name, std::string& error)
        : p_(text.data()), end_(text.data() + text.size()), name_(name), error_(error)
    {
    }

    bool Run();

private:
    bool AtEnd() const { return p_ == end_; }
    char Peek() const { return *p_; }
    // Neither the end, a blank nor a parenthesis: part of a word.
    bool InWord() const { return !AtEnd() && !IsBlank(*p_) && *p_ != '(' && *p_ != ')'; }
    void Step()
    {
        line_ += *p_ == '\n';
        ++p_;
    }
    void SkipBlanks()
    {
        while (!AtEnd() && IsBlank(*p_))
            Step();
    }
    bool Fail(int line, const std::string& what)
    {
        error_ = name_ + ":" + std::to_string(line) + ": " + what;
        return false;
    }
    bool NeverClosed() { return Fail(open_.back().Line, "unbalanced parentheses: this \"(\" is never closed"); }

    bool Open();
    bool ReadName(std::string& name);
    bool ReadContents(bool& rootClosed);
    bool SkipQuoted();
    bool SkipDropped();
    bool Close(bool& rootClosed);
    bool ReadValue();

    const char* p_;
    const char* const end_;
    int line_ = 1;
    const std::string& name_;
    std::string& error_;
    std::vector<OpenGroup> open_; // innermost last
};

bool Scanner::Run()
{
    SkipBlanks();
    if (AtEnd())
        return Fail(line_, "no parameter tree: the file is empty");
    if (Peek() != '(')
        return Fail(line_, "the parameter tree must begin with \"(\"");
    bool rootClosed = false;
    while (!rootClosed)
        if (!Open() || !ReadContents(rootClosed))
            return false;
    return true;
}

// At a "(": the group and its name.
bool Scanner::Open()
{
    const int line = line_;
    Step();
    if (static_cast<int>(open_.size()) >= AmiSourceScan::MaxDepth)
        return Fail(line, "groups nested deeper than " + std::to_string(AmiSourceScan::MaxDepth) + " levels");
    if (!open_.empty())
        open_.back().Holds = Groups;
    std::string name;
    if (!ReadName(name))
        return false;
    if (name.empty()) {
        if (AtEnd())
            return Fail(line, "unbalanced parentheses: this \"(\" is never closed");
        if (Peek() == ')')
            return Fail(line, "empty group \"()\"");
        if (!open_.empty())
            return Fail(line, "group without a name");
        // A nameless root "((...))" parses, but a parameter file needs its model name.
        return Fail(line, "the root group has no name (expected the model's name)");
    }
    open_.push_back({name, line, Nothing});
    return true;
}

bool Scanner::ReadName(std::string& name)
{
    SkipBlanks();
    for (; InWord(); Step()) {
        if (Peek() == '"')
            return Fail(line_, "double quote inside a group name");
        name += Peek();
    }
    return true;
}

// Contents of the open groups up to the next "(" of a sub-group, or until
// the root group closes.
bool Scanner::ReadContents(bool& rootClosed)
{
    while (true) {
        SkipBlanks();
        if (AtEnd())
            return NeverClosed();
        const char c = Peek();
        if (c == '(' && open_.back().Holds == Values) {
            if (!SkipDropped())
                return false;
            continue;
        }
        if (c == '(')
            return true;
        if (c == ')') {
            if (!Close(rootClosed))
                return false;
            if (rootClosed)
                return true;
            continue;
        }
        if (!ReadValue())
            return false;
    }
}

// At a double quote: steps past the closing one.
bool Scanner::SkipQuoted()
{
    const int line = line_;
    Step();
    while (!AtEnd() && Peek() != '"')
        Step();
    if (AtEnd())
        return Fail(line, "unterminated double quote");
    Step();
    return true;
}

// Values and then a sub-group (a table, say): the parser drops the whole
// group. Passed over as the parser does, counting parentheses outside quotes.
bool Scanner::SkipDropped()
{
    int depth = 1;
    while (depth > 0) {
        if (AtEnd())
            return NeverClosed();
        if (Peek() == '"') {
            if (!SkipQuoted())
                return false;
            continue;
        }
        depth += Peek() == '(' ? 1 : Peek() == ')' ? -1 : 0;
        Step();
    }
    open_.pop_back();
    return true;
}

// At a ")": closes the innermost group; after the root only blanks may follow.
bool Scanner::Close(bool& rootClosed)
{
    if (open_.back().Holds == Nothing)
        return Fail(line_, "group \"" + Shown(open_.back().Name) + "\" holds a name only");
    Step();
    open_.pop_back();
    if (!open_.empty())
        return true;
    SkipBlanks();
    if (!AtEnd())
        return Fail(line_, Peek() == ')' ? "unbalanced parentheses: \")\" closes nothing"
                                         : "text after the root group");
    rootClosed = true;
    return true;
}

// A value of the innermost group: a quoted text or a bare word.
bool Scanner::ReadValue()
{
    if (open_.back().Holds == Groups)
        return Fail(line_, "text between the sub-groups of a group");
    if (open_.size() == 1)
        return Fail(line_, "the root group holds values; it must hold groups");
    open_.back().Holds = Values;
    if (Peek() == '"') {
        if (!SkipQuoted())
            return false;
        if (InWord())
            return Fail(line_, "text right after a closing double quote");
        return true;
    }
    for (; InWord(); Step())
        if (Peek() == '"')
            return Fail(line_, "double quote in the middle of a value");
    return true;
}

} // namespace

bool AmiSourceScan::Check(const std::string& text, const std::string& name, std::string& error)
{
    if (const void* nul = std::memchr(text.data(), '\0', text.size())) {
        const std::size_t at = static_cast<const char*>(nul) - text.data();
        int line = 1;
        for (std::size_t i = 0; i < at; ++i)
            line += text[i] == '\n';
        error = name + ":" + std::to_string(line) + ": NUL byte in the text";
        return false;
    }
    return Scanner(text, name, error).Run();
}
