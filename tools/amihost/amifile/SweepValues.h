#pragma once

#include <string>
#include <vector>

#include "tools/amihost/amifile/AmiFile.h"

// The values of one parameter that a sweep runs, from "NAME=VALUES":
//   NAME=a:b        a, a+1, ..., b      (integer parameters)
//   NAME=a:b:step   a, a+step, ..., up to b (within 1e-9 step)
//   NAME=v1,v2,...  the values as listed (any type)
//   NAME=v          one value
// Every value is checked against the parameter's type and format before
// anything runs. At most MaxValues values.
class SweepValues {
public:
    static constexpr std::size_t MaxValues = 1000;

    // On success `key` is the parameter's dotted path and `values` its texts.
    static bool Parse(const std::string& text, const AmiFile& file, std::string& key,
                      std::vector<std::string>& values, std::string& error);
};
