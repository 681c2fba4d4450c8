#pragma once

#include <string>

#include "tools/amihost/amifile/AmiNode.h"

// The grammar of an .ami parameter file, read with the line of every group.
//
//   file   = blanks group blanks
//   group  = "(" blanks name blanks (values | groups) ")"
//   values = value (blanks value)*   a value: a bare word or "quoted text"
//   groups = group (blanks group)*
// A blank is one of space, \t, \n, \v, \f, \r; a bare word or a name runs up
// to the next blank or parenthesis and holds no double quote; quoted text
// runs to the next double quote (no escape) and may hold blanks, parentheses
// and line feeds. The root group holds groups. One departure, kept from the
// model's own parser: a group that holds values and then groups (a table)
// passes and is left out of the tree whole, its parentheses counted outside
// quotes.
//
// Every accepted text is one that the model's parser reads the same way
// (ParseAmiTree gives AmiParseOk and the same tree); the others are refused
// with one line "FILE:LINE: what" at the line of the fault. A missing or
// extra parenthesis is placed by the file's indentation where that tells:
// a group that begins a line no further right than an open group that
// begins its own line (indented deeper than its parent) was meant to follow
// it, and a ")" that begins a line to the left of such a group was meant
// for an outer one, so that group was left open; a group that begins a line further right
// than the sibling that closed just before it was meant to lie inside it, so
// the ")" that closed the sibling is the extra one. A text with a NUL byte is
// not an .ami file at all: "FILE: not an .ami file: binary data (NUL byte at
// offset N)". Depends on nothing but the standard library and params/.
class AmiGrammar {
public:
    static constexpr int MaxDepth = 64; // groups nested deeper are refused

    // Reads `text`, the contents of the file called `fileName`, into `root`.
    // On failure returns false with the one line in `error`; `root` is then
    // left empty.
    static bool Parse(const std::string& text, const std::string& fileName, AmiNode& root, std::string& error);
};
