// Fuzz target of amihost's readers: the .ami file (with the parameter string
// and the sweep values built from it), the CSV reader and the command line.
//
// Input: byte 0 picks the reader, the rest is its text.
//   0  .ami file; when it reads, the parameter string with the settings and
//      sweep range that follow the first NUL (NUL-separated "NAME=VALUE"
//      settings, the last piece being the sweep range)
//   1  CSV table of at most 1 .. 4 columns (byte 1 % 4 + 1)
//   2  CSV signal; bytes 1 .. 8 the raw bits of the sample interval
//   3  command line: NUL-separated arguments after "amihost", parsed from
//      the option table
// Besides sanitizer findings, the target traps when a reader fails without a
// reason, succeeds with one, leaves a half-filled result on failure, or
// returns a table whose columns differ in length; and when the .ami grammar
// accepts a text that the model's own parameter parser refuses or reads into
// another tree.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "params/AmiTree.h"
#include "tests/amihost/amifile/AmiTreeMatch.h"
#include "tools/amihost/amifile/AmiFile.h"
#include "tools/amihost/amifile/AmiGrammar.h"
#include "tools/amihost/amifile/ParameterString.h"
#include "tools/amihost/amifile/SweepValues.h"
#include "tools/amihost/cli/CommandLine.h"
#include "tools/amihost/host/HostRequest.h"
#include "tools/amihost/signal/CsvReader.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// `text` cut at its NUL bytes.
std::vector<std::string> Pieces(const std::string& text)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\0', start), text.size());
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

// The grammar's tree of `text` is the model's parser's, whenever the grammar
// accepts the text; a refusal is one line naming the file.
void CompareGrammars(const std::string& text)
{
    AmiNode root;
    std::string error;
    const bool accepted = AmiGrammar::Parse(text, "fuzz.ami", root, error);
    Check(accepted == error.empty());
    Check(error.find('\n') == std::string::npos && (accepted || error.rfind("fuzz.ami:", 0) == 0));
    if (!accepted)
        return;
    AmiTree* tree = nullptr;
    Check(ParseAmiTree(text.c_str(), &tree) == AmiParseOk);
    Check(AmiTreeDifference(root, *tree).empty());
    ReleaseAmiTree(&tree);
}

void ReadAmi(const std::string& input)
{
    const std::size_t cut = input.find('\0');
    const std::string text = input.substr(0, cut);
    CompareGrammars(text);
    AmiFile file;
    std::string error;
    const bool ok = AmiFile::Read(text, "fuzz.ami", file, error);
    Check(ok == error.empty());
    Check(ok || (file.Parameters.empty() && file.Declared.empty()));
    if (!ok || cut == std::string::npos)
        return;

    std::vector<std::string> pieces = Pieces(input.substr(cut + 1));
    const std::string sweep = pieces.back();
    pieces.pop_back();
    std::vector<ParameterString::Setting> settings;
    for (const std::string& piece : pieces) {
        ParameterString::Setting setting;
        std::string reason;
        const bool parsed = ParameterString::ParseSetting(piece, setting, reason);
        Check(parsed == reason.empty());
        if (parsed)
            settings.push_back(setting);
    }
    std::string parameters;
    error.clear();
    const bool built = ParameterString::Build(file, settings, parameters, error);
    Check(built == error.empty());
    Check(!built || (!parameters.empty() && parameters.front() == '(' && parameters.back() == ')'));

    std::string key;
    std::vector<std::string> values;
    error.clear();
    const bool swept = SweepValues::Parse(sweep, file, key, values, error);
    Check(swept == error.empty());
    Check(!swept || (!values.empty() && values.size() <= SweepValues::MaxValues));
}

void ReadTable(const std::string& text, std::size_t maxColumns)
{
    CsvTable table;
    std::string error;
    const bool ok = CsvReader::ReadTable(text, "fuzz.csv", maxColumns, table, error);
    Check(ok == error.empty());
    if (!ok) {
        Check(table.Columns.empty() && table.Lines.empty());
        return;
    }
    Check(!table.Columns.empty() && table.Columns.size() <= maxColumns && !table.Lines.empty());
    for (const std::vector<double>& column : table.Columns)
        Check(column.size() == table.Lines.size());
}

void ReadSignal(const std::string& input)
{
    double interval = 0.0;
    if (input.size() >= sizeof interval)
        std::memcpy(&interval, input.data(), sizeof interval);
    const std::string text = input.size() >= sizeof interval ? input.substr(sizeof interval) : input;
    std::vector<double> values;
    std::string error;
    const bool ok = CsvReader::ReadSignal(text, "fuzz.csv", interval, values, error);
    Check(ok == error.empty());
    Check(ok == !values.empty()); // a table has at least one row
}

void ParseCommandLine(const std::string& text)
{
    std::vector<std::string> arguments = Pieces(text);
    arguments.insert(arguments.begin(), "amihost");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    HostRequest options;
    std::string error;
    const bool ok = CommandLine::Parse(static_cast<int>(arguments.size()), argv.data(), options, error);
    Check(ok == error.empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
    case 0: ReadAmi(text); break;
    case 1: ReadTable(text.empty() ? text : text.substr(1),
                      text.empty() ? 1 : static_cast<unsigned char>(text[0]) % 4 + 1);
        break;
    case 2: ReadSignal(text); break;
    default: ParseCommandLine(text); break;
    }
    return 0;
}
