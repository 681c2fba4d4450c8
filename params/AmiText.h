#pragma once

// Character classes of IBIS-AMI parameter text, shared by the parameter
// parser and the tools that read .ami files, so that both agree on what a
// blank and a digit are.
namespace AmiText {

// Whitespace: the six characters space, \t, \n, \v, \f and \r. The parser
// and every .ami reader split names and values on exactly these.
inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A decimal digit 0 .. 9 (independent of the C locale).
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace AmiText
