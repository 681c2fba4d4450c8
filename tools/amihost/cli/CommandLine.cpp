#include "tools/amihost/cli/CommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <utility>

#include "tools/amihost/cli/OptionTable.h"
#include "tools/amihost/host/Receiver.h"
#include "tools/amihost/host/Spellings.h"
#include "tools/amihost/signal/TextFile.h"

#ifndef AMIHOST_VERSION
#define AMIHOST_VERSION "unknown"
#endif

namespace {

// In the order of Spellings(HostRequest::Command).
const char* const CommandHelp[] = {"one setting: wave, step and pulse responses, eye and de-emphasis",
                                   "every value of one parameter: table, step responses, one eye each",
                                   "the kit: .ibs rules, files, .ami, exports, declared values, conformance",
                                   "a [Model]'s I-V tables into MODEL_typ.csv, MODEL_min.csv, MODEL_max.csv"};

const char* const Description =
    "amihost: drives an IBIS-AMI model through AMI_Init, AMI_GetWave and AMI_Close as a channel simulator does.\n"
    "usage: amihost run   FILE.ibs [--model NAME] [options]\n"
    "       amihost sweep FILE.ibs [--model NAME] --param NAME=FROM:TO[:STEP]|V1,V2,... [options]\n"
    "       amihost check FILE.ibs [--model NAME] [options]\n"
    "       amihost iv    FILE.ibs [--model NAME] [--out DIR]\n"
    "The .ibs file names the library and the .ami file of this platform; run, sweep and check also take\n"
    "LIBRARY FILE.ami in its place.\n";

// CLI11's help, with the options an option needs or excludes listed in the
// order of the table: CLI11 keeps them in a set of pointers, whose order is
// that of the heap and so may differ from one build or system to another.
class TableOrderFormatter : public CLI::Formatter {
public:
    explicit TableOrderFormatter(std::vector<const CLI::Option*> order) : order_(std::move(order)) {}

    std::string make_option_opts(const CLI::Option* option) const override
    {
        std::string text = CLI::Formatter::make_option_opts(option);
        const std::size_t cut = std::min(text.find(" Needs:"), text.find(" Excludes:"));
        if (cut == std::string::npos)
            return text;
        text.erase(cut);
        text += List("Needs", option->get_needs());
        text += List("Excludes", option->get_excludes());
        return text;
    }

private:
    std::string List(const std::string& label, const std::set<CLI::Option*>& options) const
    {
        if (options.empty())
            return std::string();
        std::string text = " " + get_label(label) + ":";
        for (const CLI::Option* option : order_)
            if (options.count(const_cast<CLI::Option*>(option)))
                text += " " + option->get_name();
        return text;
    }

    std::vector<const CLI::Option*> order_;
};

// The parser of one command line; what the table leaves as given (the
// texts of --set and --param, the words of enumerators, values whose absence
// counts) and the file names become the request once parsing is done.
struct Parser {
    CLI::App App{Description, "amihost"};
    OptionTable::Given Given;
    std::vector<std::string> Files;

    explicit Parser(HostRequest& request)
    {
        App.set_help_flag("-h,--help", "this text");
        App.set_version_flag("--version", CommandLine::Version(), "the version of amihost");
        App.require_subcommand(0, 1);
        OptionTable::Declare(App, request, Given);
        auto formatter = std::make_shared<TableOrderFormatter>(static_cast<const CLI::App&>(App).get_options());
        formatter->column_width(34);
        App.formatter(formatter);
        const std::vector<std::string> commands = NamesOf<HostRequest::Command>();
        for (std::size_t i = 0; i < commands.size(); ++i) {
            CLI::App* command = App.add_subcommand(commands[i], CommandHelp[i]);
            command->fallthrough();
            command->add_option("files", Files, "FILE.ibs, or LIBRARY FILE.ami");
        }
    }
};

// The files: FILE.ibs, or (not for iv) LIBRARY FILE.ami.
bool Files(const Parser& parser, const std::string& command, HostRequest& o, std::string& error)
{
    const std::vector<std::string>& files = parser.Files;
    const bool iv = o.Action == HostRequest::Iv;
    const std::string wanted = command + (iv ? " needs FILE.ibs" : " needs FILE.ibs, or LIBRARY and FILE.ami");
    if (files.empty() || files.size() > (iv ? 1u : 2u)) {
        error = wanted + ", got " + std::to_string(files.size()) + " file names";
        return false;
    }
    if (files.size() == 2) {
        o.ModelPath = files[0];
        o.AmiPath = files[1];
        if (parser.App.count("--model") == 0)
            return true;
        error = "--model belongs to FILE.ibs; with LIBRARY and FILE.ami there is no [Model] to choose";
        return false;
    }
    for (const char* other : {".so", ".dll", ".ami"})
        if (TextFile::HasExtension(files[0], other)) {
            error = wanted + ", got only " + files[0];
            return false;
        }
    o.IbisPath = files[0];
    return true;
}

// A receiver after the channel: its files named one way or the other.
bool FinishReceiver(const HostRequest& o, std::string& error)
{
    const bool ibis = Receiver::IsIbis(o.RxModel);
    std::string fault;
    if (o.RxModel.empty())
        return true;
    if (o.Action == HostRequest::Check)
        fault = "--rx-model belongs to run and sweep; check a receiver on its own: amihost check RX.so RX.ami";
    else if (ibis && !o.RxAmi.empty())
        fault = "--rx-ami: the IBIS file " + o.RxModel + " names the receiver's .ami file";
    else if (!ibis && o.RxAmi.empty())
        fault = "--rx-model " + o.RxModel + " needs --rx-ami FILE.ami (or name the receiver's .ibs file)";
    else if (!ibis && !o.RxModelName.empty())
        fault = "--rx-model-name names a [Model] of an IBIS file; " + o.RxModel + " is not one (.ibs)";
    if (fault.empty())
        return true;
    error = fault;
    return false;
}

// NAME=VALUE texts whose form the table checked.
std::vector<ParameterString::Setting> Settings(const std::vector<std::string>& texts)
{
    std::vector<ParameterString::Setting> settings(texts.size());
    std::string unused;
    for (std::size_t i = 0; i < texts.size(); ++i)
        ParameterString::ParseSetting(texts[i], settings[i], unused);
    return settings;
}

// The first NAME given twice among `settings`, or nothing: a parameter set
// twice has no one value to send, so the command refuses rather than
// picking one silently.
std::optional<std::string> Repeated(const std::vector<ParameterString::Setting>& settings)
{
    for (std::size_t i = 0; i < settings.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (settings[j].Key == settings[i].Key)
                return settings[i].Key;
    return std::nullopt;
}

// What the table left as given, into the request: settings, the sweep,
// enumerators, and the values that only count when given.
bool Given(const Parser& parser, HostRequest& o, std::string& error)
{
    const OptionTable::Given& g = parser.Given;
    const auto given = [&](const char* flag) { return parser.App.count(flag) > 0; };
    o.Settings = Settings(g.Settings);
    o.RxSettings = Settings(g.RxSettings);
    for (const auto& [flag, settings] : {std::make_pair("--set", &o.Settings), std::make_pair("--rx-set", &o.RxSettings)})
        if (const std::optional<std::string> name = Repeated(*settings)) {
            error = std::string(flag) + " " + *name + " given twice: one value per parameter";
            return false;
        }
    if (g.Sweeps.size() > 1) {
        error = "--param given twice: a sweep runs one parameter";
        return false;
    }
    if (!g.Sweeps.empty())
        o.SweepSpec = g.Sweeps[0];
    o.Stimulus = *ValueOf<HostRequest::StimulusKind>(g.Stimulus); // the table checked the word
    o.PairOrder = *ValueOf<ThroughPath::PairOrder>(g.PairOrder);
    if (given("--loss"))
        o.LossDb = g.LossDb;
    if (given("--tx-r"))
        o.TxR = g.TxR;
    if (given("--rx-r"))
        o.RxR = g.RxR;
    if (given("--skip-bits"))
        o.SkipBits = g.SkipBits;
    if (given("--jobs"))
        o.Jobs = g.Jobs;
    return true;
}

// The checks that involve more than one option, after parsing.
bool Finish(const Parser& parser, const std::string& command, HostRequest& o, std::string& error)
{
    if (!Files(parser, command, o, error))
        return false;
    if (!Given(parser, o, error))
        return false;
    if (o.Action == HostRequest::Sweep && !o.SweepSpec) {
        error = "sweep needs --param NAME=FROM:TO[:STEP] or NAME=V1,V2,...";
        return false;
    }
    if (o.Action != HostRequest::Sweep && o.SweepSpec) {
        error = "--param belongs to sweep; use --set NAME=VALUE with " + command;
        return false;
    }
    if (o.SjUi > 0.0 && o.SjHz > 0.5 / o.BitTime) {
        char text[160];
        std::snprintf(text, sizeof text, "--sj-freq %g Hz is above half the bit rate (%g Hz): edges, one a bit at "
                      "most, cannot carry it", o.SjHz, 0.5 / o.BitTime);
        error = text;
        return false;
    }
    if (o.Action == HostRequest::Check && parser.App.count("--bits") == 0)
        o.Bits = HostRequest::DefaultCheckBits;
    if (o.SkipBits && *o.SkipBits >= o.Bits) {
        error = "--skip-bits " + std::to_string(*o.SkipBits) + " leaves none of the " + std::to_string(o.Bits) +
                " bits for the eye";
        return false;
    }
    // check holds its test waves whole; run and sweep stream theirs.
    if (o.Action == HostRequest::Check && static_cast<double>(o.Bits) * o.SamplesPerBit > 268435456.0) {
        error = "--bits " + std::to_string(o.Bits) + " at " + std::to_string(o.SamplesPerBit) +
                " samples per bit exceeds check's 2^28 samples";
        return false;
    }
    return FinishReceiver(o, error);
}

std::string OneLine(std::string text)
{
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

} // namespace

bool CommandLine::Parse(int argc, char** argv, HostRequest& options, std::string& error)
{
    options = HostRequest();
    if (argc < 2) {
        error = "no subcommand (run, sweep, check or iv)";
        return false;
    }
    const std::string first = argv[1];
    if (first == "help")
        return true;
    if (first[0] != '-' && !ValueOf<HostRequest::Command>(first)) {
        error = "unknown subcommand \"" + first + "\" (expected run, sweep, check or iv)";
        return false;
    }
    Parser parser(options);
    try {
        parser.App.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        options.Action = HostRequest::Help;
        return true;
    } catch (const CLI::CallForVersion&) {
        options.Action = HostRequest::Version;
        return true;
    } catch (const CLI::ArgumentMismatch& e) {
        // "--bits: 1 required N missing": an option given without its value.
        const std::string what = e.what();
        error = "option " + what.substr(0, what.find(':')) + " needs a value";
        return false;
    } catch (const CLI::ParseError& e) {
        error = OneLine(e.what());
        return false;
    }
    const std::vector<CLI::App*> chosen = parser.App.get_subcommands();
    if (chosen.empty()) {
        error = "no subcommand (run, sweep, check or iv)";
        return false;
    }
    const std::string command = chosen[0]->get_name();
    options.Action = *ValueOf<HostRequest::Command>(command);
    return Finish(parser, command, options, error);
}

std::string CommandLine::Usage()
{
    HostRequest request;
    return Parser(request).App.help();
}

std::string CommandLine::Version() { return std::string("amihost ") + AMIHOST_VERSION; }
