#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ibis/IbisFile.h"
#include "ibis/rules/IbisFindings.h"

// The parts of IbisRules::Check, one per room of keywords; each adds its
// findings to `out`. Shared helpers for their messages beside them.
namespace IbisRuleParts {

void Header(const IbisFile& file, IbisFindings& out);      // header, lines, characters, keywords per version
void Components(const IbisFile& file, IbisFindings& out);  // [Component], [Package], [Pin], [Diff Pin], ...
void Models(const IbisFile& file, IbisFindings& out);      // [Model], its sub-parameters, [Model Selector]
void Tables(const IbisFile& file, const IbisModel& model, IbisFindings& out); // I-V and V-T tables, [Ramp]
void Definitions(const IbisFile& file, IbisFindings& out); // [Submodel], .pkg and .ebd definitions
void VtAgainstRamp(const IbisModel& model, IbisFindings& out); // [Ramp] against the V-T tables' edges
void VtAgainstIv(const IbisFile& file, const IbisModel& model, IbisFindings& out); // their end points

// The file's [IBIS Ver] as MAJOR * 100 + MINOR.
inline int Version(const IbisFile& file) { return file.VersionMajor * 100 + file.VersionMinor; }

// The keywords inside `model`'s section (up to the next [Model],
// [Submodel], [Model Selector] or [End]) whose names end in `suffix`
// (" reference" for [Pullup Reference], [GND Clamp Reference], ...).
std::vector<IbisKeywordUse> ModelKeywords(const IbisFile& file, const IbisModel& model, const std::string& suffix);

// "1.5 V", "-3e-12 s": a value with its unit, at six significant digits.
std::string Value(double value, const char* unit);

// An Error when `name` is longer than `limit` characters.
void Length(IbisFindings& out, int line, const std::string& what, const std::string& name, std::size_t limit);

// A Warning when the min column exceeds typ or typ exceeds max (NA columns
// left out): the columns hold the smallest and largest value.
void Order(IbisFindings& out, const IbisCorners<double>& value, const std::string& what);

} // namespace IbisRuleParts
