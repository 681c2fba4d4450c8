#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/amihost/channel/ThroughPath.h"
#include "tools/amihost/host/HostRequest.h"

// The one spelling of each enumerator that a user types or reads: the
// command line parses with it, --help lists it, the reports print it.
//   Spellings(E{})  every (value, name) of enum E, in the order --help lists them
//   NameOf(value)   its name; ValueOf<E>(name) the value, or nothing for an unknown name
template <typename E>
struct Spelling {
    E Value;
    const char* Name;
};

const std::vector<Spelling<HostRequest::Command>>& Spellings(HostRequest::Command);
const std::vector<Spelling<HostRequest::StimulusKind>>& Spellings(HostRequest::StimulusKind);
const std::vector<Spelling<ThroughPath::PairOrder>>& Spellings(ThroughPath::PairOrder);

template <typename E>
const char* NameOf(E value)
{
    for (const Spelling<E>& s : Spellings(E{}))
        if (s.Value == value)
            return s.Name;
    return "";
}

template <typename E>
std::optional<E> ValueOf(const std::string& name)
{
    for (const Spelling<E>& s : Spellings(E{}))
        if (name == s.Name)
            return s.Value;
    return std::nullopt;
}

template <typename E>
std::vector<std::string> NamesOf()
{
    std::vector<std::string> names;
    for (const Spelling<E>& s : Spellings(E{}))
        names.emplace_back(s.Name);
    return names;
}
