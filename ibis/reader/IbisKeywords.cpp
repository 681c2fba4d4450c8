#include "ibis/reader/IbisKeywords.h"

#include <cstring>

namespace {

const IbisKeywords::Info Keywords[] = {
    // The first published version (1.1): header, component, model, I-V tables, [Ramp].
    {"ibis ver", 100}, {"comment char", 100}, {"file name", 100}, {"file rev", 100}, {"date", 100},
    {"source", 100}, {"notes", 100}, {"disclaimer", 100}, {"component", 100}, {"manufacturer", 100},
    {"package", 100}, {"pin", 100}, {"model", 100}, {"temperature range", 100}, {"voltage range", 100},
    {"pulldown", 100}, {"pullup", 100}, {"gnd clamp", 100}, {"power clamp", 100}, {"ramp", 100},
    {"end", 100}, {"copyright", 100},
    // 2.0 and 2.1: references, waveforms, pin mapping, differential pins and package models.
    {"pin mapping", 200}, {"diff pin", 200}, {"pullup reference", 200}, {"pulldown reference", 200},
    {"power clamp reference", 200}, {"gnd clamp reference", 200}, {"rgnd", 200}, {"rpower", 200},
    {"rac", 200}, {"cac", 200}, {"rising waveform", 200}, {"falling waveform", 200},
    {"package model", 200}, {"define package model", 200}, {"end package model", 200},
    {"oem", 200}, {"description", 200}, {"number of sections", 200}, {"number of pins", 200},
    {"pin numbers", 200}, {"model data", 200}, {"end model data", 200}, {"resistance matrix", 200},
    {"inductance matrix", 200}, {"capacitance matrix", 200}, {"bandwidth", 200}, {"row", 200},
    // 3.0 to 3.2: selectors, series elements, board descriptions, submodels, schedules.
    {"model selector", 300}, {"series pin mapping", 300}, {"series switch groups", 300},
    {"series current", 300}, {"series mosfet", 300}, {"r series", 300}, {"l series", 300},
    {"rl series", 300}, {"c series", 300}, {"lc series", 300}, {"rc series", 300}, {"on", 300},
    {"off", 300}, {"begin board description", 300}, {"end board description", 300}, {"pin list", 300},
    {"path description", 300}, {"reference designator map", 300}, {"model_spec", 300},
    {"add submodel", 300}, {"submodel", 300}, {"submodel_spec", 300}, {"gnd pulse table", 300},
    {"power pulse table", 300}, {"driver schedule", 300}, {"ttgnd", 300}, {"ttpower", 300},
    {"alternate package models", 300}, {"end alternate package models", 300}, {"external reference", 300},
    // 4.0: receiver thresholds and test data.
    {"receiver thresholds", 400}, {"test data", 400}, {"test load", 400}, {"rising waveform near", 400},
    {"falling waveform near", 400}, {"rising waveform far", 400}, {"falling waveform far", 400},
    {"diff rising waveform near", 400}, {"diff falling waveform near", 400},
    {"diff rising waveform far", 400}, {"diff falling waveform far", 400},
    // 4.1: multi-lingual models.
    {"external model", 401}, {"end external model", 401}, {"external circuit", 401},
    {"end external circuit", 401}, {"circuit call", 401}, {"node declarations", 401},
    {"end node declarations", 401},
    // 5.0: power-aware buffers, algorithmic models, emission.
    {"composite current", 500}, {"isso pu", 500}, {"isso pd", 500}, {"algorithmic model", 500},
    {"end algorithmic model", 500}, {"bus label", 500}, {"die supply pads", 500},
    {"begin emission model", 500}, {"end emission model", 500},
    // 6.0: repeaters.
    {"repeater pin", 600},
    // 7.0: interconnect models.
    {"interconnect model set", 700}, {"end interconnect model set", 700}, {"interconnect model", 700},
    {"end interconnect model", 700}, {"interconnect model group", 700}, {"end interconnect model group", 700},
};

// In a keyword an underscore and a blank are the same character, so the
// table may write either; `name` comes normalised (IbisSyntax::KeywordName).
bool SameKeyword(const std::string& name, const char* entry)
{
    std::size_t i = 0;
    for (; i < name.size() && entry[i] != '\0'; ++i)
        if (name[i] != entry[i] && !(name[i] == ' ' && entry[i] == '_'))
            return false;
    return i == name.size() && entry[i] == '\0';
}

} // namespace

const IbisKeywords::Info* IbisKeywords::Find(const std::string& name)
{
    for (const Info& info : Keywords)
        if (SameKeyword(name, info.Name))
            return &info;
    return nullptr;
}

std::string IbisKeywords::VersionText(int version)
{
    return std::to_string(version / 100) + "." + std::to_string(version % 100);
}
