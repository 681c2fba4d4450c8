#pragma once

#include <cstdint>
#include <string>

#include "params/AmiTree.h"

// One parsed AMI parameter string and lookups of its leaves by dotted path.
//
// The path of the root is its name; the path of a node below it is its
// parent's path, ".", and its name, the "." left out when the parent's path
// is empty. Names are used as they stand, so a leaf named "a.b" answers the
// path "r.a.b" just as a leaf "b" in a branch "a" would. A lookup walks the
// tree depth first in text order and the first leaf whose path equals the
// query, byte for byte, wins; branches never match. There is no index.
//
// The holder owns its tree from construction to destruction and never changes
// it; lookups only read, so one holder may serve several threads at once.
// Nothing here writes a message or throws.
class AmiParameters {
public:
    // Parses a private copy of `text`; Ok tells whether the parse succeeded.
    // A null text, or a copy that cannot be allocated, leaves Ok false.
    explicit AmiParameters(const char* text);
    ~AmiParameters();
    AmiParameters(const AmiParameters&) = delete;
    AmiParameters& operator=(const AmiParameters&) = delete;

    // The leaf at `path`, or null. Null when the parse failed or `path` is null.
    const AmiLeaf* FindLeaf(const char* path) const;

    // The getters read the first value of the leaf at `path` (further values
    // are ignored). Each returns true after writing `value`; it returns false
    // and leaves `value` as it was when there is no such leaf, the leaf has
    // no values, or the first value is not of the accepted type.
    //
    // Integer or float: the decimal value, truncated toward zero; values
    // beyond the 32-bit range give INT32_MIN or INT32_MAX.
    bool GetInt(int32_t& value, const char* path) const;
    // Integer or float: the nearest double (independent of the C locale;
    // beyond the double range +-infinity, below it +-0).
    bool GetDouble(double& value, const char* path) const;
    // Text (not integer, float, boolean or empty): a copy of the text.
    bool GetString(std::string& value, const char* path) const;
    // Boolean ("True" or "False"): true for "True".
    bool GetBool(bool& value, const char* path) const;

    bool Ok;       // the parse of the text returned AmiParseOk
    AmiTree* Tree; // owned; null unless Ok

private:
    // First value of the leaf at `path` when its type is `first` or `second`.
    const AmiValue* FirstValue(const char* path, AmiValueType first, AmiValueType second) const;
};
