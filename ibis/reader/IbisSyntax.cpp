#include "ibis/reader/IbisSyntax.h"

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

} // namespace

std::string IbisSyntax::LowerCase(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = Lower(c);
    return lower;
}

std::string_view IbisSyntax::Trim(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::string_view IbisSyntax::StripComment(std::string_view text, char comment)
{
    const std::size_t at = text.find(comment);
    return at == std::string_view::npos ? text : text.substr(0, at);
}

std::string IbisSyntax::KeywordName(std::string_view name)
{
    std::string normal;
    bool blank = false;
    for (const char c : name) {
        if (IsBlank(c) || c == '_') {
            blank = true;
            continue;
        }
        if (blank && !normal.empty())
            normal += ' ';
        blank = false;
        normal += Lower(c);
    }
    return normal;
}

void IbisSyntax::SplitFields(std::string_view text, std::vector<std::string_view>& fields)
{
    fields.clear();
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
        if (i == text.size())
            return;
        const std::size_t start = i;
        while (i < text.size() && !IsBlank(text[i]))
            ++i;
        fields.push_back(text.substr(start, i - start));
    }
}

std::string_view IbisSyntax::SplitSubparameter(std::string_view text, std::vector<std::string_view>& values)
{
    std::size_t i = 0;
    while (i < text.size() && !IsBlank(text[i]) && text[i] != '=')
        ++i;
    const std::string_view name = text.substr(0, i);
    std::string_view rest = Trim(text.substr(i));
    if (!rest.empty() && rest[0] == '=')
        rest.remove_prefix(1);
    SplitFields(rest, values);
    return name;
}

std::string IbisSyntax::Shown(std::string_view text)
{
    std::string shown;
    for (std::size_t i = 0; i < text.size() && i < 40; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        shown += c < 0x20 || c >= 0x7f ? '?' : static_cast<char>(c);
    }
    return text.size() > 40 ? shown + "..." : shown;
}
