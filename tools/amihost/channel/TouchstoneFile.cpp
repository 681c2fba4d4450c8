#include "tools/amihost/channel/TouchstoneFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

enum class Format { RI, MA, DB };
enum class Layout { Full, Lower, Upper };
enum class Section { Header, Reference, Information, Network, Noise, End };

using Tokens = std::vector<std::string>;

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

Tokens Split(const std::string& text)
{
    Tokens tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && !IsBlank(text[i]))
            ++i;
        if (i > start)
            tokens.push_back(text.substr(start, i - start));
    }
    return tokens;
}

// The whole token as a finite decimal number ("+" allowed).
bool ParseNumber(const std::string& token, double& value)
{
    const char* begin = token.data();
    const char* const end = begin + token.size();
    if (begin != end && *begin == '+')
        ++begin;
    if (begin == end || *begin == '+' || (*begin == '-' && token[0] == '+'))
        return false;
    const std::from_chars_result r = std::from_chars(begin, end, value);
    return r.ec == std::errc() && r.ptr == end && std::isfinite(value);
}

bool ParseCount(const std::string& text, long long low, long long high, long long& value)
{
    const Tokens tokens = Split(text);
    if (tokens.size() != 1)
        return false;
    const char* end = tokens[0].data() + tokens[0].size();
    const std::from_chars_result r = std::from_chars(tokens[0].data(), end, value);
    return r.ec == std::errc() && r.ptr == end && value >= low && value <= high;
}

std::string Shown(const std::string& token)
{
    return token.size() > 40 ? token.substr(0, 40) + "..." : token;
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// Reads one file line by line (comments and blanks already removed).
class Parser {
public:
    // `ports`: the count a version 1 file is read with (its name's, or one
    // tried in its place).
    // `aligned`: every point must begin a line that holds the whole point
    // or its frequency and first row (a port count tried in place of the
    // name's must fit the layout, not only the count of values).
    Parser(const std::string& name, int ports, bool aligned, TouchstoneData& data, std::string& error)
        : name_(name), data_(data), error_(error), namePorts_(ports), aligned_(aligned)
    {
    }

    bool Line(const std::string& text, int line);
    bool Finish(int lastLine);
    int Version() const { return version_; }
    int FirstPointLine() const { return firstPointLine_; }

private:
    bool Fail(int line, const std::string& what);
    bool First(const std::string& text, int line);
    bool Keyword(const std::string& text, int line);
    bool Setting(const std::string& shown, const std::string& argument, int line);
    bool Option(const Tokens& tokens, int line);
    bool ReferenceValues(const Tokens& tokens, int line);
    bool StartNetwork(int line);
    bool EndNetwork(int line);
    bool Values(const Tokens& tokens, int line);
    bool Commit();
    bool Store(std::size_t pair, std::size_t base, double first, double second);

    const std::string& name_;
    TouchstoneData& data_;
    std::string& error_;
    const int namePorts_;                 // from .sNp, 0 if the name does not say
    const bool aligned_;                  // points must begin lines (see the constructor)
    int version_ = 0;                     // 1 or 2 once the first line is read
    bool optionSeen_ = false;
    double unit_ = 1e9;                   // Hz per frequency unit
    Format format_ = Format::MA;
    double optionReference_ = 50.0;       // R of the option line, ohms
    std::vector<double> references_;      // [Reference], ohms
    int twoPortOrder_ = 0;                // 12 or 21 (order of S12 and S21), 0 unknown
    long long declaredPoints_ = -1;       // [Number of Frequencies]
    Layout layout_ = Layout::Full;
    Section section_ = Section::Header;
    std::vector<double> point_;           // values of the point being read
    std::size_t perPoint_ = 0;            // values per point
    int pointLine_ = 0;                   // line of the point's frequency
    int firstPointLine_ = 0;              // line of the first point's, 0 before it
    std::size_t noiseValues_ = 0;         // version 1 noise values skipped
};

bool Parser::Fail(int line, const std::string& what)
{
    error_ = name_ + ":" + std::to_string(line) + ": " + what;
    return false;
}

bool Parser::Line(const std::string& text, int line)
{
    if (version_ == 0)
        return First(text, line);
    if (section_ == Section::End)
        return true;
    if (section_ == Section::Information) {
        if (Upper(text).rfind("[END INFORMATION]", 0) == 0)
            section_ = Section::Header;
        return true;
    }
    if (text[0] == '[')
        return Keyword(text, line);
    if (text[0] == '#') {
        if (optionSeen_) // version 1 ignores later option lines
            return version_ == 1 || Fail(line, "a second option line");
        if (section_ == Section::Network)
            return Fail(line, "the option line must come before the data");
        optionSeen_ = true;
        return Option(Split(text.substr(1)), line);
    }
    const Tokens tokens = Split(text);
    switch (section_) {
    case Section::Reference: return ReferenceValues(tokens, line);
    case Section::Network: return Values(tokens, line);
    case Section::Noise:
        // Version 1 gives each noise frequency a line of its own: frequency,
        // NFmin, |Gopt|, angle of Gopt, Rn / R.
        if (version_ == 1 && tokens.size() != 5)
            return Fail(line, "a noise parameter line holds 5 values, this one " + std::to_string(tokens.size()));
        for (const std::string& token : tokens) {
            double value = 0.0;
            if (!ParseNumber(token, value))
                return Fail(line, "\"" + Shown(token) + "\" is not a finite number");
        }
        noiseValues_ += tokens.size();
        return true;
    default:
        if (version_ == 2)
            return Fail(line, "data before [Network Data]");
        return StartNetwork(line) && Values(tokens, line);
    }
}

// The first line decides the version; a version 1 file takes its port
// count from its name.
bool Parser::First(const std::string& text, int line)
{
    if (Upper(text).rfind("[VERSION]", 0) == 0) {
        const Tokens tokens = Split(text.substr(9));
        if (tokens.size() != 1 || (tokens[0] != "2.0" && tokens[0] != "2.1"))
            return Fail(line, "[Version] " + Shown(tokens.empty() ? std::string() : tokens[0]) +
                                  " is not read (versions 1.x, 2.0 and 2.1 are)");
        version_ = 2;
        return true;
    }
    version_ = 1;
    if (namePorts_ <= 0)
        return Fail(line, "cannot tell the number of ports: a Touchstone 1.x file is named .s1p, .s2p, ... "
                          "(a 2.0 file begins with [Version] 2.0)");
    if (namePorts_ > TouchstoneFile::MaxPorts)
        return Fail(line, std::to_string(namePorts_) + " ports, more than the " +
                              std::to_string(TouchstoneFile::MaxPorts) + " read");
    data_.Ports = namePorts_;
    twoPortOrder_ = 21;
    return Line(text, line);
}

bool Parser::Keyword(const std::string& text, int line)
{
    const std::size_t close = text.find(']');
    if (close == std::string::npos)
        return Fail(line, "keyword without its closing \"]\"");
    std::string shown; // the keyword's words as written, one blank apart
    for (const std::string& word : Split(text.substr(1, close - 1)))
        shown += (shown.empty() ? "" : " ") + word;
    if (version_ == 1)
        return Fail(line, "keyword [" + Shown(shown) + "] in a version 1.x file (a 2.0 file begins with "
                                                        "[Version] 2.0)");
    if (section_ == Section::Reference)
        return Fail(line, "[Reference] needs " + std::to_string(data_.Ports) + " impedances, got " +
                              std::to_string(references_.size()));
    return Setting(shown, text.substr(close + 1), line);
}

bool Parser::Setting(const std::string& shown, const std::string& argument, int line)
{
    const std::string keyword = Upper(shown);
    const bool inData = section_ == Section::Network || section_ == Section::Noise;
    long long count = 0;
    if (keyword == "NUMBER OF PORTS" && !inData) {
        if (!ParseCount(argument, 1, TouchstoneFile::MaxPorts, count))
            return Fail(line, "[Number of Ports] needs a whole number in 1 .. " +
                                  std::to_string(TouchstoneFile::MaxPorts));
        if (namePorts_ > 0 && count != namePorts_)
            return Fail(line, "[Number of Ports] " + std::to_string(count) + " where the name says " +
                                  std::to_string(namePorts_));
        data_.Ports = static_cast<int>(count);
        references_.clear();
        return true;
    }
    if (keyword == "TWO-PORT DATA ORDER" && !inData) {
        const std::string order = Upper(argument.empty() ? argument : Split(argument).front());
        twoPortOrder_ = order == "12_21" ? 12 : order == "21_12" ? 21 : 0;
        return twoPortOrder_ != 0 || Fail(line, "[Two-Port Data Order] is 12_21 or 21_12");
    }
    if (keyword == "NUMBER OF FREQUENCIES" && !inData) {
        if (!ParseCount(argument, 1, static_cast<long long>(TouchstoneFile::MaxValues), declaredPoints_))
            return Fail(line, "[Number of Frequencies] needs a whole number in 1 .. " +
                                  std::to_string(TouchstoneFile::MaxValues));
        return true;
    }
    if (keyword == "NUMBER OF NOISE FREQUENCIES" && !inData)
        return ParseCount(argument, 0, static_cast<long long>(TouchstoneFile::MaxValues), count) ||
               Fail(line, "[Number of Noise Frequencies] needs a whole number");
    if (keyword == "REFERENCE" && !inData) {
        if (data_.Ports == 0)
            return Fail(line, "[Reference] before [Number of Ports]");
        references_.clear();
        section_ = Section::Reference;
        return ReferenceValues(Split(argument), line);
    }
    if (keyword == "MATRIX FORMAT" && !inData) {
        const std::string format = Upper(argument.empty() ? argument : Split(argument).front());
        layout_ = format == "LOWER" ? Layout::Lower : format == "UPPER" ? Layout::Upper : Layout::Full;
        return format == "FULL" || layout_ != Layout::Full || Fail(line, "[Matrix Format] is Full, Lower or Upper");
    }
    if (keyword == "MIXED-MODE ORDER")
        return Fail(line, "mixed-mode data are not read: give the file of the single-ended ports");
    if (keyword == "BEGIN INFORMATION" && !inData) {
        section_ = Section::Information;
        return true;
    }
    if (keyword == "NETWORK DATA" && section_ == Section::Header)
        return StartNetwork(line);
    if (keyword == "END" || (keyword == "NOISE DATA" && section_ != Section::Header)) {
        if (section_ == Section::Network && !EndNetwork(line))
            return false;
        section_ = keyword == "END" ? Section::End : Section::Noise;
        return true;
    }
    return Fail(line, "[" + Shown(shown) + "] " + (inData ? "within the data" : "is not a keyword read here"));
}

bool Parser::Option(const Tokens& tokens, int line)
{
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string token = Upper(tokens[i]);
        if (token == "HZ" || token == "KHZ" || token == "MHZ" || token == "GHZ")
            unit_ = token == "HZ" ? 1.0 : token == "KHZ" ? 1e3 : token == "MHZ" ? 1e6 : 1e9;
        else if (token == "DB" || token == "MA" || token == "RI")
            format_ = token == "DB" ? Format::DB : token == "MA" ? Format::MA : Format::RI;
        else if (token == "Y" || token == "Z" || token == "H" || token == "G")
            return Fail(line, "only S-parameters are read; this file holds " + token + "-parameters");
        else if (token == "R") {
            if (i + 1 == tokens.size() || !ParseNumber(tokens[i + 1], optionReference_) ||
                !(optionReference_ > 0.0))
                return Fail(line, "R needs the reference impedance in ohms, a number above 0");
            ++i;
        } else if (token != "S")
            return Fail(line, "unknown option \"" + Shown(tokens[i]) +
                                  "\" (units HZ, KHZ, MHZ, GHZ; parameter S; formats DB, MA, RI; R ohms)");
    }
    return true;
}

bool Parser::ReferenceValues(const Tokens& tokens, int line)
{
    for (const std::string& token : tokens) {
        double value = 0.0;
        if (!ParseNumber(token, value) || !(value > 0.0))
            return Fail(line, "reference impedance \"" + Shown(token) + "\" is not a number above 0");
        if (references_.size() == static_cast<std::size_t>(data_.Ports))
            return Fail(line, "[Reference] has more than " + std::to_string(data_.Ports) + " impedances");
        references_.push_back(value);
    }
    if (references_.size() == static_cast<std::size_t>(data_.Ports))
        section_ = Section::Header;
    return true;
}

bool Parser::StartNetwork(int line)
{
    if (data_.Ports == 0)
        return Fail(line, "[Network Data] before [Number of Ports]");
    if (version_ == 2 && declaredPoints_ < 0)
        return Fail(line, "[Network Data] before [Number of Frequencies]");
    if (data_.Ports == 2 && twoPortOrder_ == 0)
        return Fail(line, "a 2-port file needs [Two-Port Data Order] 12_21 or 21_12");
    const std::size_t n = static_cast<std::size_t>(data_.Ports);
    perPoint_ = 1 + (layout_ == Layout::Full ? 2 * n * n : n * (n + 1));
    section_ = Section::Network;
    return true;
}

bool Parser::EndNetwork(int line)
{
    if (!point_.empty())
        return Fail(pointLine_, "the frequency point has " + std::to_string(point_.size()) + " of its " +
                                    std::to_string(perPoint_) + " values");
    if (data_.Frequencies.empty())
        return Fail(line, "no frequency points");
    if (version_ == 2 && data_.Frequencies.size() != static_cast<std::size_t>(declaredPoints_))
        return Fail(line, std::to_string(data_.Frequencies.size()) + " frequency points where [Number of "
                                                                     "Frequencies] says " +
                              std::to_string(declaredPoints_));
    return true;
}

bool Parser::Values(const Tokens& tokens, int line)
{
    for (std::size_t t = 0; t < tokens.size(); ++t) {
        const std::string& token = tokens[t];
        double value = 0.0;
        if (!ParseNumber(token, value))
            return Fail(line, "\"" + Shown(token) + "\" is not a finite number");
        if (section_ == Section::Noise) {
            ++noiseValues_;
            continue;
        }
        if (point_.empty()) {
            pointLine_ = line;
            if (firstPointLine_ == 0)
                firstPointLine_ = line;
            const std::size_t row = 1 + 2 * static_cast<std::size_t>(std::min(data_.Ports, 4));
            if (aligned_ && (t != 0 || (tokens.size() != perPoint_ && tokens.size() != row)))
                return Fail(line, "a point that does not begin its line");
            // In a version 1 two-port, a frequency that does not increase
            // begins the noise parameters, if it begins a line of their 5
            // values; else it is a fault of the network data, at its line.
            if (version_ == 1 && data_.Ports == 2 && !data_.Frequencies.empty() &&
                value * unit_ <= data_.Frequencies.back()) {
                if (t != 0 || tokens.size() != 5)
                    return Fail(line, "frequency " + Number(value * unit_) + " Hz does not increase (the one before "
                                                                               "is " +
                                          Number(data_.Frequencies.back()) + " Hz)");
                section_ = Section::Noise;
                ++noiseValues_;
                continue;
            }
        }
        point_.push_back(value);
        if (point_.size() == perPoint_ && !Commit())
            return false;
    }
    return true;
}

bool Parser::Commit()
{
    const double frequency = point_[0] * unit_;
    if (!(frequency >= 0.0) || !std::isfinite(frequency))
        return Fail(pointLine_, "frequency " + Number(point_[0]) + " is not a finite number of at least 0");
    if (!data_.Frequencies.empty() && !(frequency > data_.Frequencies.back()))
        return Fail(pointLine_, "frequency " + Number(frequency) + " Hz does not increase (the one before is " +
                                    Number(data_.Frequencies.back()) + " Hz)");
    if (version_ == 2 && data_.Frequencies.size() == static_cast<std::size_t>(declaredPoints_))
        return Fail(pointLine_, "more frequency points than [Number of Frequencies] " +
                                    std::to_string(declaredPoints_));
    const std::size_t n = static_cast<std::size_t>(data_.Ports);
    if ((data_.Frequencies.size() + 1) * n * n > TouchstoneFile::MaxValues)
        return Fail(pointLine_, "more than " + std::to_string(TouchstoneFile::MaxValues) + " parameter values");
    const std::size_t base = data_.Parameters.size();
    data_.Frequencies.push_back(frequency);
    data_.Parameters.resize(base + n * n);
    for (std::size_t pair = 0; 2 * pair + 1 < point_.size(); ++pair)
        if (!Store(pair, base, point_[2 * pair + 1], point_[2 * pair + 2]))
            return false;
    point_.clear();
    return true;
}

// Places value `pair` of the point (in the file's order) into the matrix.
bool Parser::Store(std::size_t pair, std::size_t base, double first, double second)
{
    const std::size_t n = static_cast<std::size_t>(data_.Ports);
    std::size_t row = pair / n;
    std::size_t column = pair % n;
    if (layout_ != Layout::Full) {
        // Rows of 1, 2, ..., n values (Lower) or n, n-1, ..., 1 (Upper).
        row = 0;
        std::size_t left = pair;
        while (left >= (layout_ == Layout::Lower ? row + 1 : n - row)) {
            left -= layout_ == Layout::Lower ? row + 1 : n - row;
            ++row;
        }
        column = layout_ == Layout::Lower ? left : row + left;
    } else if (n == 2 && twoPortOrder_ == 21 && row != column) {
        std::swap(row, column); // S11 S21 S12 S22
    }
    std::complex<double> value(first, second);
    if (format_ != Format::RI) {
        const double magnitude = format_ == Format::MA ? first : std::pow(10.0, first / 20.0);
        const double angle = second * (std::acos(-1.0) / 180.0);
        value = {magnitude * std::cos(angle), magnitude * std::sin(angle)};
        if (!std::isfinite(value.real()) || !std::isfinite(value.imag()))
            return Fail(pointLine_, "the value " + Number(first) + " dB overflows");
    }
    data_.Parameters[base + row * n + column] = value;
    if (layout_ != Layout::Full)
        data_.Parameters[base + column * n + row] = value; // the mirrored triangle
    return true;
}

bool Parser::Finish(int lastLine)
{
    if (version_ == 0)
        return Fail(std::max(lastLine, 1), "no data: the file holds no line but comments");
    if (section_ == Section::Reference)
        return Fail(lastLine, "[Reference] needs " + std::to_string(data_.Ports) + " impedances, got " +
                                  std::to_string(references_.size()));
    if (section_ == Section::Information)
        return Fail(lastLine, "[Begin Information] without [End Information]");
    if (section_ == Section::Network && !EndNetwork(lastLine))
        return false;
    if (data_.Frequencies.empty())
        return Fail(lastLine, version_ == 2 ? "no [Network Data]" : "no frequency points");
    if (version_ == 1 && noiseValues_ % 5 != 0)
        return Fail(lastLine, "the noise parameters are not rows of 5 values");
    if (references_.empty())
        references_.assign(static_cast<std::size_t>(data_.Ports), optionReference_);
    data_.Reference = references_;
    return true;
}

} // namespace

int TouchstoneFile::PortsFromName(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot < 4 || name.size() - dot > 6)
        return 0;
    const std::string extension = Upper(name.substr(dot + 1));
    if (extension.front() != 'S' || extension.back() != 'P')
        return 0;
    int ports = 0;
    for (std::size_t i = 1; i + 1 < extension.size(); ++i) {
        if (extension[i] < '0' || extension[i] > '9')
            return 0;
        ports = ports * 10 + (extension[i] - '0');
    }
    return ports;
}

namespace {

// What a pass saw besides the network: the version its first line said
// (0 if none was read) and the line of the first point (0 if none).
struct Pass {
    int Version = 0;
    int FirstPointLine = 0;
};

// One pass of the parser over `text`, a version 1 file read as `ports`
// ports.
bool Parse(const std::string& text, const std::string& name, int ports, bool aligned, TouchstoneData& data,
           std::string& error, Pass& pass)
{
    data = TouchstoneData();
    error.clear();
    Parser parser(name, ports, aligned, data, error);
    int line = 0;
    bool ok = true;
    for (std::size_t start = 0; ok && start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        ++line;
        std::string content = text.substr(start, end - start);
        start = end + 1;
        if (content.find('\0') != std::string::npos) {
            error = name + ":" + std::to_string(line) + ": NUL byte in the text";
            ok = false;
            break;
        }
        content = content.substr(0, content.find('!'));
        const std::size_t first = content.find_first_not_of(" \t\r");
        if (first == std::string::npos)
            continue;
        const std::size_t last = content.find_last_not_of(" \t\r");
        ok = parser.Line(content.substr(first, last - first + 1), line);
    }
    if (ok)
        ok = parser.Finish(line);
    pass.Version = parser.Version();
    pass.FirstPointLine = parser.FirstPointLine();
    if (!ok)
        data = TouchstoneData();
    return ok;
}

} // namespace

bool TouchstoneFile::Read(const std::string& text, const std::string& name, TouchstoneData& data,
                          std::string& error)
{
    const int named = PortsFromName(name);
    Pass pass;
    if (Parse(text, name, named, false, data, error, pass))
        return true;
    if (pass.Version != 1 || named < 1 || named > MaxPorts)
        return false;
    // A version 1 file takes its port count from its name alone; a file
    // misnamed (a 4-port called .s2p) fails somewhere in its data, far from
    // the cause. If the data read whole, with two points at least, each
    // beginning its line, as a file of another small port count, that is
    // the fault to report.
    for (int ports = 1; ports <= 4; ++ports) {
        TouchstoneData other;
        std::string ignored;
        Pass tried;
        if (ports == named || !Parse(text, name, ports, true, other, ignored, tried) || other.Frequencies.size() < 2)
            continue;
        error = name + ":" + std::to_string(tried.FirstPointLine) + ": the data are rows of a " +
                std::to_string(ports) + "-port (" +
                std::to_string(1 + 2 * ports * ports) + " values a frequency), not of the " + std::to_string(named) +
                " ports that the name says";
        return false;
    }
    return false;
}

std::string TouchstoneFile::Write(const TouchstoneData& data, int version, const std::string& comment)
{
    const std::size_t n = static_cast<std::size_t>(data.Ports);
    const double reference = data.Reference.empty() ? 50.0 : data.Reference[0];
    std::string text;
    for (std::size_t start = 0; start < comment.size();) {
        const std::size_t end = std::min(comment.find('\n', start), comment.size());
        text += "! " + comment.substr(start, end - start) + "\n";
        start = end + 1;
    }
    char number[40];
    auto append = [&](double value) {
        std::snprintf(number, sizeof number, " %.17g", value);
        text += number;
    };
    if (version == 2) {
        text += "[Version] 2.0\n# HZ S RI R";
        append(reference);
        text += "\n[Number of Ports] " + std::to_string(n) + "\n";
        if (n == 2)
            text += "[Two-Port Data Order] 12_21\n";
        text += "[Number of Frequencies] " + std::to_string(data.Frequencies.size()) + "\n[Reference]";
        for (double z : data.Reference)
            append(z);
        text += "\n[Network Data]\n";
    } else {
        text += "# HZ S RI R";
        append(reference);
        text += "\n";
    }
    for (std::size_t p = 0; p < data.Frequencies.size(); ++p) {
        std::snprintf(number, sizeof number, "%.17g", data.Frequencies[p]);
        text += number;
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j) {
                // Version 1 two-ports list S21 before S12.
                const bool swap = version != 2 && n == 2 && i != j;
                const std::complex<double> s = data.Parameters[(p * n + (swap ? j : i)) * n + (swap ? i : j)];
                if (n > 2 && j > 0 && j % 4 == 0)
                    text += "\n";
                append(s.real());
                append(s.imag());
            }
            if (n > 2)
                text += "\n";
        }
        if (n <= 2)
            text += "\n";
    }
    if (version == 2)
        text += "[End]\n";
    return text;
}
