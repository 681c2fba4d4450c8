#include "tools/amihost/amifile/AmiGrammar.h"

#include <cstring>
#include <utility>
#include <vector>

#include "params/AmiText.h"
#include "params/AmiVocabulary.h"

namespace {

using AmiText::IsBlank;

// What a group holds so far.
enum class Content { Nothing, Values, Groups };

// One "(" that is open, a group of the tree or one inside a dropped group:
// where it stands, and the last group that closed inside it.
struct Paren {
    int Line;
    int Column;                 // of a "(" that begins its line; -1 for one after other text
    int LastChildColumn = -1;   // the last closed child's Column
    int LastChildCloseLine = 0; // the line of the ")" that closed it
};

// A group of the tree being read.
struct Frame {
    AmiNode Node;
    Content Holds = Content::Nothing;
};

std::string Shown(const std::string& token)
{
    return token.size() > 40 ? token.substr(0, 40) + "..." : token;
}

// Reads the text group by group with one stack of open groups; every method
// returns false after Fail has written the fault.
class Parser {
public:
    Parser(const std::string& text, const std::string& name, std::string& error)
        : p_(text.data()), end_(text.data() + text.size()), name_(name), error_(error)
    {
    }

    bool Run(AmiNode& root);

private:
    bool AtEnd() const { return p_ == end_; }
    char Peek() const { return *p_; }
    // Neither the end, a blank nor a parenthesis: part of a word.
    bool InWord() const { return !AtEnd() && !IsBlank(*p_) && *p_ != '(' && *p_ != ')'; }
    // Tab stops every 8 columns, for comparing indentations.
    void Step()
    {
        const char c = *p_++;
        if (c == '\n') {
            ++line_;
            lineHasText_ = false;
            indent_ = 0;
        } else if (!lineHasText_ && IsBlank(c)) {
            indent_ = c == '\t' ? indent_ + 8 - indent_ % 8 : indent_ + 1;
        } else {
            lineHasText_ = true;
        }
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
    bool NeverClosed()
    {
        return Fail(leftOpen_ ? leftOpen_ : parens_.back().Line, "unbalanced parentheses: this \"(\" is never closed");
    }

    void OpenParen();
    void CloseParen();
    bool Open();
    bool ReadName(std::string& name);
    bool ReadContents(bool& rootClosed);
    bool SkipQuoted(std::string* text);
    bool SkipDropped();
    bool Close(bool& rootClosed);
    bool AfterRoot(int rootCloseLine);
    bool ReadValue();

    const char* p_;
    const char* const end_;
    int line_ = 1;
    bool lineHasText_ = false; // a non-blank character stands before p_ on its line
    int indent_ = 0;           // the column of p_ while !lineHasText_
    const std::string& name_;
    std::string& error_;
    std::vector<Frame> frames_; // the open groups of the tree, innermost last
    std::vector<Paren> parens_; // every open "(", innermost last
    int leftOpen_ = 0;          // the line of the first group the indentation says was left open
    int extraClose_ = 0;        // the line of the first ")" the indentation says is extra
    AmiNode root_;
};

bool Parser::Run(AmiNode& root)
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
    root = std::move(root_);
    return true;
}

// Steps over a "(" and notes what the indentation says about it (see the
// class comment of AmiGrammar).
void Parser::OpenParen()
{
    const int column = lineHasText_ ? -1 : indent_;
    if (column >= 0 && !parens_.empty()) {
        const Paren& parent = parens_.back();
        const int grandColumn = parens_.size() > 1 ? parens_[parens_.size() - 2].Column : -1;
        if (!leftOpen_ && parent.Column >= 0 && column <= parent.Column && grandColumn >= 0 &&
            grandColumn < parent.Column)
            leftOpen_ = parent.Line;
        if (!extraClose_ && parent.LastChildColumn >= 0 && column > parent.LastChildColumn)
            extraClose_ = parent.LastChildCloseLine;
    }
    parens_.push_back({line_, column});
    Step();
}

// Steps over a ")" that closes the innermost open "(". A ")" that begins
// its line to the left of a "(" indented deeper than its parent was meant
// for an outer group: that "(" was left open.
void Parser::CloseParen()
{
    const int column = parens_.back().Column;
    const int closeColumn = lineHasText_ ? -1 : indent_;
    const int parentColumn = parens_.size() > 1 ? parens_[parens_.size() - 2].Column : -1;
    if (!leftOpen_ && closeColumn >= 0 && closeColumn < column && parentColumn >= 0 && parentColumn < column)
        leftOpen_ = parens_.back().Line;
    parens_.pop_back();
    if (!parens_.empty()) {
        parens_.back().LastChildColumn = column;
        parens_.back().LastChildCloseLine = line_;
    }
    Step();
}

// At a "(": the group and its name.
bool Parser::Open()
{
    const int line = line_;
    if (static_cast<int>(frames_.size()) >= AmiGrammar::MaxDepth)
        return Fail(line, "groups nested deeper than " + std::to_string(AmiGrammar::MaxDepth) + " levels");
    OpenParen();
    if (!frames_.empty()) {
        frames_.back().Holds = Content::Groups;
        frames_.back().Node.Kind = AmiNodeBranch;
    }
    std::string name;
    if (!ReadName(name))
        return false;
    if (name.empty()) {
        if (AtEnd())
            return NeverClosed();
        if (Peek() == ')')
            return Fail(line, "empty group \"()\"");
        if (!frames_.empty())
            return Fail(line, "group without a name");
        // A nameless root "((...))" parses, but a parameter file needs its model name.
        return Fail(line, "the root group has no name (expected the model's name)");
    }
    frames_.emplace_back();
    frames_.back().Node.Name = std::move(name);
    frames_.back().Node.Line = line;
    return true;
}

bool Parser::ReadName(std::string& name)
{
    SkipBlanks();
    const char* start = p_;
    for (; InWord(); Step())
        if (Peek() == '"')
            return Fail(line_, "double quote inside a group name");
    name.assign(start, p_);
    return true;
}

// Contents of the open groups up to the next "(" of a sub-group, or until
// the root group closes.
bool Parser::ReadContents(bool& rootClosed)
{
    while (true) {
        SkipBlanks();
        if (AtEnd())
            return NeverClosed();
        const char c = Peek();
        if (c == '(' && frames_.back().Holds == Content::Values) {
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

// At a double quote: steps past the closing one; `text`, when given,
// receives what stands between them.
bool Parser::SkipQuoted(std::string* text)
{
    const int line = line_;
    Step();
    const char* start = p_;
    while (!AtEnd() && Peek() != '"')
        Step();
    if (AtEnd())
        return Fail(line, "unterminated double quote");
    if (text)
        text->assign(start, p_);
    Step();
    return true;
}

// Values and then a sub-group (a table, say): the model's parser leaves the
// whole group out. Passed over as it does, counting parentheses outside
// quotes, with the open ones on the stack so that a fault inside has its line.
bool Parser::SkipDropped()
{
    const std::size_t depth = parens_.size();
    while (parens_.size() >= depth) {
        if (AtEnd())
            return NeverClosed();
        if (Peek() == '"') {
            if (!SkipQuoted(nullptr))
                return false;
        } else if (Peek() == '(') {
            OpenParen();
        } else if (Peek() == ')') {
            CloseParen();
        } else {
            Step();
        }
    }
    frames_.pop_back();
    return true;
}

// At a ")": closes the innermost group; after the root only blanks may follow.
bool Parser::Close(bool& rootClosed)
{
    Frame& frame = frames_.back();
    if (frame.Holds == Content::Nothing)
        return Fail(line_, "group \"" + Shown(frame.Node.Name) + "\" holds a name only");
    const int line = line_;
    CloseParen();
    AmiNode node = std::move(frame.Node);
    frames_.pop_back();
    if (!frames_.empty()) {
        frames_.back().Node.Children.push_back(std::move(node));
        return true;
    }
    root_ = std::move(node);
    rootClosed = true;
    return AfterRoot(line);
}

// After the root's ")" at `rootCloseLine`: blanks only. More ")" than "("
// in what follows means an extra ")" earlier or here.
bool Parser::AfterRoot(int rootCloseLine)
{
    SkipBlanks();
    if (AtEnd())
        return true;
    long balance = 0;
    bool quoted = false;
    for (const char* s = p_; s != end_; ++s) {
        quoted = *s == '"' ? !quoted : quoted;
        balance += quoted ? 0 : *s == ')' ? 1 : *s == '(' ? -1 : 0;
    }
    if (balance <= 0)
        return Fail(line_, "text after the root group");
    const int line = extraClose_ ? extraClose_ : Peek() == ')' ? line_ : rootCloseLine;
    return Fail(line, "unbalanced parentheses: extra \")\"");
}

// A value of the innermost group: a quoted text or a bare word.
bool Parser::ReadValue()
{
    Frame& frame = frames_.back();
    if (frame.Holds == Content::Groups)
        return Fail(line_, "text between the sub-groups of a group");
    if (frames_.size() == 1)
        return Fail(line_, "the root group holds values; it must hold groups");
    AmiNode::Value value;
    if (Peek() == '"') {
        if (!SkipQuoted(&value.Text))
            return false;
        if (InWord())
            return Fail(line_, "text right after a closing double quote");
        // The parser keeps a quoted text's leading blanks and drops its trailing ones.
        while (!value.Text.empty() && IsBlank(value.Text.back()))
            value.Text.pop_back();
    } else {
        const char* start = p_;
        for (; InWord(); Step())
            if (Peek() == '"')
                return Fail(line_, "double quote in the middle of a value");
        value.Text.assign(start, p_);
    }
    value.Type = ClassifyAmiValue(value.Text.c_str());
    if (value.Type == AmiValueText)
        value.Keyword = AmiVocabulary::ValueKeywordOf(value.Text.c_str());
    if (frame.Holds == Content::Nothing) {
        frame.Holds = Content::Values;
        frame.Node.Kind = AmiNodeLeaf;
        frame.Node.NameKeyword = AmiVocabulary::NameKeywordOf(frame.Node.Name.c_str());
    }
    frame.Node.Values.push_back(std::move(value));
    return true;
}

} // namespace

bool AmiGrammar::Parse(const std::string& text, const std::string& fileName, AmiNode& root, std::string& error)
{
    root = AmiNode();
    if (const void* nul = std::memchr(text.data(), '\0', text.size())) {
        error = fileName + ": not an .ami file: binary data (NUL byte at offset " +
                std::to_string(static_cast<const char*>(nul) - text.data()) + ")";
        return false;
    }
    return Parser(text, fileName, error).Run(root);
}
