#include "ibis/IbisPlatform.h"

#include <algorithm>

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

} // namespace

IbisPlatform IbisPlatform::Parse(const std::string& word)
{
    IbisPlatform platform;
    const std::size_t first = word.find('_');
    const std::size_t last = word.rfind('_');
    if (first == std::string::npos || first == 0 || last <= first + 1 || last + 1 >= word.size())
        return platform;
    const std::string bits = word.substr(last + 1);
    if (bits.size() > 3 || !std::all_of(bits.begin(), bits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return platform;
    platform.System = word.substr(0, first);
    platform.Compiler = word.substr(first + 1, last - first - 1);
    platform.Bits = std::stoi(bits);
    return platform;
}

IbisPlatform IbisPlatform::Host()
{
    IbisPlatform host;
    host.Bits = static_cast<int>(sizeof(void*) * 8);
#if defined(_WIN32)
    host.System = "Windows";
    host.Compiler = "VisualStudio";
#elif defined(__linux__)
    host.System = "Linux";
    host.Compiler = "gcc";
#endif
    return host;
}

bool IbisPlatform::Runs(const IbisPlatform& line) const
{
    return !System.empty() && SameIgnoringCase(System, line.System) && Bits == line.Bits;
}

bool IbisPlatform::Prefers(const IbisPlatform& line) const
{
    return Runs(line) && SameIgnoringCase(Compiler, line.Compiler);
}

std::string IbisPlatform::Describe() const
{
    if (System.empty())
        return "an unknown platform";
    return std::to_string(Bits) + "-bit " + System;
}
