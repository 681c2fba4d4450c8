#include "ibis/reader/IbisReader.h"

#include <cstring>

#include "ibis/reader/IbisKeywords.h"
#include "ibis/reader/IbisNumber.h"
#include "ibis/reader/IbisSyntax.h"

enum class IbisReader::Keyword {
    Unknown,
    IbisVer,
    CommentChar,
    FileName,
    FileRev,
    Date,
    Source,
    Notes,
    Disclaimer,
    Copyright,
    Component,
    Manufacturer,
    Package,
    Pin,
    DiffPin,
    Model,
    TemperatureRange,
    VoltageRange,
    Pulldown,
    Pullup,
    GndClamp,
    PowerClamp,
    Ramp,
    AlgorithmicModel,
    EndAlgorithmicModel,
    ModelSelector,
    AddSubmodel,
    PackageModel,
    PinMapping,
    SeriesPinMapping,
    RisingWaveform,
    FallingWaveform,
    Definition,     // [Submodel], [Define Package Model], [Begin Board Description]
    DefinitionEnd,  // [End Define Package Model], [End Board Description]
    NumberOfPins,   // inside a definition
    PinRows,        // [Pin Numbers] or [Pin List], inside a definition
    MatrixRow,      // [Row] of a package model's matrix
    SkippedSection, // a top-level section whose contents are not read
    End,
};

namespace {

using Syntax = IbisSyntax;

// The characters IBIS allows as comment character.
const char CommentCharacters[] = "!\"#$%&'()*,:;<>?@\\^`{|}~";

// "MAJOR.MINOR", one to three digits each.
bool ParseVersion(std::string_view text, int& major, int& minor)
{
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos)
        return false;
    int* const parts[] = {&major, &minor};
    const std::string_view pieces[] = {text.substr(0, dot), text.substr(dot + 1)};
    for (int k = 0; k < 2; ++k) {
        if (pieces[k].empty() || pieces[k].size() > 3)
            return false;
        *parts[k] = 0;
        for (const char c : pieces[k]) {
            if (c < '0' || c > '9')
                return false;
            *parts[k] = *parts[k] * 10 + (c - '0');
        }
    }
    return true;
}

} // namespace

IbisReader::IbisReader(const std::string& path, IbisFile& file) : path_(path), file_(file) {}

IbisReader::Keyword IbisReader::Lookup(const std::string& normalised)
{
    static const struct {
        const char* Name;
        Keyword Id;
    } keywords[] = {
        {"ibis ver", Keyword::IbisVer},
        {"comment char", Keyword::CommentChar},
        {"file name", Keyword::FileName},
        {"file rev", Keyword::FileRev},
        {"date", Keyword::Date},
        {"source", Keyword::Source},
        {"notes", Keyword::Notes},
        {"disclaimer", Keyword::Disclaimer},
        {"copyright", Keyword::Copyright},
        {"component", Keyword::Component},
        {"manufacturer", Keyword::Manufacturer},
        {"package", Keyword::Package},
        {"pin", Keyword::Pin},
        {"diff pin", Keyword::DiffPin},
        {"model", Keyword::Model},
        {"temperature range", Keyword::TemperatureRange},
        {"voltage range", Keyword::VoltageRange},
        {"pulldown", Keyword::Pulldown},
        {"pullup", Keyword::Pullup},
        {"gnd clamp", Keyword::GndClamp},
        {"power clamp", Keyword::PowerClamp},
        {"ramp", Keyword::Ramp},
        {"algorithmic model", Keyword::AlgorithmicModel},
        {"end algorithmic model", Keyword::EndAlgorithmicModel},
        {"model selector", Keyword::ModelSelector},
        {"add submodel", Keyword::AddSubmodel},
        {"package model", Keyword::PackageModel},
        {"pin mapping", Keyword::PinMapping},
        {"series pin mapping", Keyword::SeriesPinMapping},
        {"rising waveform", Keyword::RisingWaveform},
        {"falling waveform", Keyword::FallingWaveform},
        {"submodel", Keyword::Definition},
        {"define package model", Keyword::Definition},
        {"begin board description", Keyword::Definition},
        {"end package model", Keyword::DefinitionEnd},
        {"end board description", Keyword::DefinitionEnd},
        {"number of pins", Keyword::NumberOfPins},
        {"pin numbers", Keyword::PinRows},
        {"pin list", Keyword::PinRows},
        {"row", Keyword::MatrixRow},
        {"test data", Keyword::SkippedSection},
        {"test load", Keyword::SkippedSection},
        {"external circuit", Keyword::SkippedSection},
        {"interconnect model set", Keyword::SkippedSection},
        {"end", Keyword::End},
    };
    for (const auto& keyword : keywords)
        if (normalised == keyword.Name)
            return keyword.Id;
    return Keyword::Unknown;
}

bool IbisReader::Read(const std::string& text, std::string& error)
{
    error.clear();
    if (text.size() > IbisFile::MaxBytes) {
        error = path_ + ": larger than " + std::to_string(IbisFile::MaxBytes) + " bytes";
        return false;
    }
    const char* p = text.data();
    const char* const end = p + text.size();
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        p += 3; // byte-order mark
    while (p != end) {
        const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        if (!lineEnd)
            lineEnd = end;
        std::string_view raw(p, static_cast<std::size_t>(lineEnd - p));
        p = lineEnd == end ? end : lineEnd + 1;
        ++line_;
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        if (!ReadLine(raw)) {
            error = error_;
            return false;
        }
        if (file_.EndLine) {
            NoteAfterEnd(p, end);
            return true;
        }
    }
    line_ = line_ > 0 ? line_ : 1;
    if (section_ == Section::Algorithmic)
        Fail("the file ends inside the [Algorithmic Model] of line " +
             std::to_string(file_.Models.back().Algorithmic.Line) + ", before its [End Algorithmic Model]");
    else if (section_ == Section::Start)
        Fail("no [IBIS Ver]: the file holds no keyword");
    else
        Fail("no [End]: the file ends without it");
    error = error_;
    return false;
}

bool IbisReader::ReadLine(std::string_view raw)
{
    if (raw.find('\0') != std::string_view::npos)
        return Fail("NUL byte in the text");
    for (const char c : raw) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t' && c != '\r') || byte >= 0x7f) {
            if (!Count())
                return false;
            file_.BadBytes.push_back({line_, byte});
            break; // one a line: the line is named, and the rest of it reads
        }
    }
    if (raw.size() > 80) {
        if (!Count())
            return false;
        file_.LongLines.push_back({line_, raw.size()});
    }
    if (!raw.empty() && raw[0] == '[')
        return KeywordLine(raw);
    const std::string_view stripped = Syntax::StripComment(raw, comment_);
    const std::string_view content = Syntax::Trim(stripped);
    if (!content.empty())
        return DataLine(content);
    // A blank line inside a text is a paragraph break; a comment line is not text.
    if (body_ == Body::Text && stripped.size() == raw.size() && !text_->Text.empty())
        ++blanks_;
    return true;
}

bool IbisReader::KeywordLine(std::string_view raw)
{
    // A comment may begin inside the brackets too: "[Pin | x ]" is "[Pin".
    const std::size_t close = Syntax::StripComment(raw, comment_).find(']');
    if (close == std::string_view::npos)
        return Fail("keyword " + Syntax::Quoted(raw) + " without its closing \"]\"");
    keyword_ = Syntax::Shown(raw.substr(0, close + 1));
    waveform_ = nullptr;
    const std::string name = Syntax::KeywordName(raw.substr(1, close - 1));
    if (name.empty())
        return Fail("empty keyword " + Syntax::Quoted(raw.substr(0, close + 1)));
    body_ = Body::None;
    text_ = nullptr;
    table_ = nullptr;
    blanks_ = 0;
    if (!Count())
        return false;
    file_.Keywords.push_back({name, line_});
    const Keyword keyword = Lookup(name);
    const std::string_view rest = raw.substr(close + 1);
    if (keyword == Keyword::Unknown && !IbisKeywords::Find(name)) {
        // A keyword no version of IBIS has (a typo such as [Modle]): the
        // checker reports it at this line and its data are passed over.
        // Until the next section keyword, what cannot belong to the section
        // before (a keyword outside it, or given twice) belongs to the
        // unknown one and is passed over too (see Lost()).
        if (section_ == Section::Start)
            return Fail("the file must begin with [IBIS Ver], not " + keyword_);
        if (section_ == Section::Algorithmic)
            return Dispatch(keyword, rest);
        file_.Unknown.push_back({std::string(Syntax::Trim(raw.substr(1, close - 1))), line_}); // as written
        afterUnknown_ = true;
        body_ = Body::Skip;
        return true;
    }
    if (keyword == Keyword::CommentChar)
        return CommentCharLine(rest); // read before any comment is cut off: "#_char" may be the old character
    return Dispatch(keyword, Syntax::Trim(Syntax::StripComment(rest, comment_)));
}

bool IbisReader::CommentCharLine(std::string_view rest)
{
    rest = Syntax::Trim(rest);
    std::size_t length = 0;
    while (length < rest.size() && !Syntax::IsBlank(rest[length]))
        ++length;
    const std::string_view word = rest.substr(0, length);
    if (word.size() != 6 || Syntax::LowerCase(word.substr(1)) != "_char")
        return Fail("[Comment Char] needs a character followed by _char, such as #_char; found " + Syntax::Quoted(word));
    const char character = word[0];
    if (!std::strchr(CommentCharacters, character))
        return Fail(Syntax::Quoted(word.substr(0, 1)) + " cannot be the comment character (IBIS allows one of " +
                    CommentCharacters + ")");
    const std::string_view after = Syntax::Trim(rest.substr(length));
    if (!after.empty() && after[0] != comment_ && after[0] != character)
        return Fail("[Comment Char] takes one character; found " + Syntax::Quoted(after) + " after it");
    comment_ = character;
    return true;
}

bool IbisReader::Dispatch(Keyword keyword, std::string_view rest)
{
    if (section_ == Section::Start && keyword != Keyword::IbisVer)
        return Fail("the file must begin with [IBIS Ver], not " + keyword_);
    if (section_ == Section::Algorithmic && keyword != Keyword::EndAlgorithmicModel)
        return Fail(keyword_ + " inside the [Algorithmic Model] of line " +
                    std::to_string(file_.Models.back().Algorithmic.Line) + ", before its [End Algorithmic Model]");
    switch (keyword) {
    case Keyword::IbisVer:
    case Keyword::FileName:
    case Keyword::FileRev:
    case Keyword::Date:
    case Keyword::Source:
    case Keyword::Notes:
    case Keyword::Disclaimer:
    case Keyword::Copyright: return HeaderKeyword(keyword, rest);
    case Keyword::Manufacturer:
    case Keyword::Package:
    case Keyword::Pin:
    case Keyword::DiffPin: return ComponentKeyword(keyword, rest);
    case Keyword::TemperatureRange:
    case Keyword::VoltageRange:
    case Keyword::Pulldown:
    case Keyword::Pullup:
    case Keyword::GndClamp:
    case Keyword::PowerClamp:
    case Keyword::Ramp:
    case Keyword::AlgorithmicModel:
    case Keyword::EndAlgorithmicModel: return ModelKeyword(keyword, rest);
    case Keyword::AddSubmodel:
    case Keyword::RisingWaveform:
    case Keyword::FallingWaveform: return ModelKeyword(keyword, rest);
    case Keyword::PackageModel:
    case Keyword::PinMapping:
    case Keyword::SeriesPinMapping: return ComponentKeyword(keyword, rest);
    case Keyword::NumberOfPins:
    case Keyword::PinRows:
    case Keyword::MatrixRow:
    case Keyword::DefinitionEnd: return DefinitionKeyword(keyword, rest);
    case Keyword::Component:
    case Keyword::Model:
    case Keyword::ModelSelector:
    case Keyword::Definition:
    case Keyword::SkippedSection:
    case Keyword::End: return SectionKeyword(keyword, rest);
    case Keyword::Unknown:
    case Keyword::CommentChar: break;
    }
    body_ = Body::Skip; // a keyword this reader does not use: its data are passed over
    NoteInner();
    return true;
}

bool IbisReader::HeaderKeyword(Keyword keyword, std::string_view rest)
{
    IbisText* target = &file_.Copyright;
    switch (keyword) {
    case Keyword::IbisVer: target = &file_.IbisVer; break;
    case Keyword::FileName: target = &file_.FileName; break;
    case Keyword::FileRev: target = &file_.FileRev; break;
    case Keyword::Date: target = &file_.Date; break;
    case Keyword::Source: target = &file_.Source; break;
    case Keyword::Notes: target = &file_.Notes; break;
    case Keyword::Disclaimer: target = &file_.Disclaimer; break;
    default: break;
    }
    if (!NotTwice(target->Line, keyword_))
        return false;
    target->Text = std::string(rest);
    target->Line = line_;
    if (keyword == Keyword::IbisVer) {
        if (!ParseVersion(rest, file_.VersionMajor, file_.VersionMinor))
            return Fail("[IBIS Ver] " + Syntax::Quoted(rest) + " is not a version such as 7.1");
        section_ = Section::Header;
    }
    if (keyword == Keyword::Source || keyword == Keyword::Notes || keyword == Keyword::Disclaimer ||
        keyword == Keyword::Copyright) {
        text_ = target;
        body_ = Body::Text;
    }
    return true;
}

bool IbisReader::SectionKeyword(Keyword keyword, std::string_view rest)
{
    definition_ = nullptr; // a [Submodel] ends at the next section
    afterUnknown_ = false;
    switch (keyword) {
    case Keyword::Component: return NewComponent(rest);
    case Keyword::Model: return NewModel(rest);
    case Keyword::ModelSelector: return NewSelector(rest);
    case Keyword::End:
        if (!Takes(rest))
            return false;
        file_.EndLine = line_;
        return true;
    case Keyword::Definition: return NewDefinition(rest);
    default: // a section whose contents are not read
        section_ = Section::Skipped;
        body_ = Body::Skip;
        return true;
    }
}

bool IbisReader::NewComponent(std::string_view rest)
{
    if (rest.empty())
        return Fail("[Component] without a name");
    if (!Count())
        return false;
    file_.Components.emplace_back();
    file_.Components.back().Name = std::string(rest);
    file_.Components.back().Line = line_;
    section_ = Section::Component;
    body_ = Body::Skip; // Si_location and Timing_location are not kept
    return true;
}

bool IbisReader::NewModel(std::string_view rest)
{
    std::string name;
    if (!OneWord(rest, name))
        return false;
    const auto found = modelLines_.emplace(name, line_);
    if (!found.second)
        return Fail("second [Model] " + Syntax::Shown(name) + " (the first is on line " + std::to_string(found.first->second) +
                    ")");
    if (!Count())
        return false;
    file_.Models.emplace_back();
    file_.Models.back().Name = std::move(name);
    file_.Models.back().Line = line_;
    section_ = Section::Model;
    body_ = Body::ModelLines;
    return true;
}

bool IbisReader::NewSelector(std::string_view rest)
{
    std::string name;
    if (!OneWord(rest, name) || !Count())
        return false;
    file_.ModelSelectors.emplace_back();
    file_.ModelSelectors.back().Name = std::move(name);
    file_.ModelSelectors.back().Line = line_;
    section_ = Section::Selector;
    body_ = Body::SelectorRows;
    return true;
}

bool IbisReader::ComponentKeyword(Keyword keyword, std::string_view rest)
{
    if (section_ == Section::Skipped || section_ == Section::Lost || section_ == Section::Definition) {
        body_ = Body::Skip; // e.g. the [Manufacturer] of a [Define Package Model]
        NoteInner();
        return true;
    }
    if (section_ != Section::Component)
        return afterUnknown_ ? Lost() : Fail(keyword_ + " outside a [Component]");
    IbisComponent& component = file_.Components.back();
    const std::string what = keyword_ + " in [Component] " + Syntax::Shown(component.Name);
    const int* const seen[] = {&component.Manufacturer.Line, &component.Package.Line, &component.PinLine,
                               &component.DiffPinLine,       &component.PackageModel.Line, &component.PinMappingLine,
                               &component.SeriesPinMappingLine};
    const Keyword kinds[] = {Keyword::Manufacturer, Keyword::Package,      Keyword::Pin,
                             Keyword::DiffPin,      Keyword::PackageModel, Keyword::PinMapping,
                             Keyword::SeriesPinMapping};
    for (int k = 0; k < 7; ++k)
        if (afterUnknown_ && keyword == kinds[k] && *seen[k])
            return Lost();
    switch (keyword) {
    case Keyword::Manufacturer:
        if (!NotTwice(component.Manufacturer.Line, what))
            return false;
        component.Manufacturer = {std::string(rest), line_};
        return true;
    case Keyword::Package:
        if (!NotTwice(component.Package.Line, what) || !Takes(rest))
            return false;
        component.Package.Line = line_;
        body_ = Body::Package;
        return true;
    case Keyword::PackageModel:
        if (!NotTwice(component.PackageModel.Line, what))
            return false;
        component.PackageModel = {std::string(rest), line_};
        body_ = Body::Skip;
        return true;
    case Keyword::PinMapping:
    case Keyword::SeriesPinMapping: { // the rest of the line names the columns
        int& line = keyword == Keyword::PinMapping ? component.PinMappingLine : component.SeriesPinMappingLine;
        if (!NotTwice(line, what))
            return false;
        line = line_;
        mapping_ = keyword == Keyword::PinMapping ? &component.PinMapping : &component.SeriesPinMapping;
        body_ = Body::MappingRows;
        return true;
    }
    case Keyword::Pin: // the rest of the line names the columns
        if (!NotTwice(component.PinLine, what))
            return false;
        component.PinLine = line_;
        body_ = Body::Pins;
        return true;
    default:
        if (!NotTwice(component.DiffPinLine, what))
            return false;
        component.DiffPinLine = line_;
        body_ = Body::DiffPins;
        return true;
    }
}

bool IbisReader::ModelKeyword(Keyword keyword, std::string_view rest)
{
    if (section_ == Section::Skipped || section_ == Section::Lost || section_ == Section::Definition) {
        body_ = Body::Skip; // e.g. the tables of a [Submodel]
        NoteInner();
        return true;
    }
    if (keyword == Keyword::EndAlgorithmicModel) {
        if (section_ != Section::Algorithmic)
            return Fail(keyword_ + " without an [Algorithmic Model]");
        if (!Takes(rest))
            return false;
        file_.Models.back().Algorithmic.EndLine = line_;
        section_ = Section::Model;
        return true;
    }
    if (section_ != Section::Model)
        return afterUnknown_ ? Lost() : Fail(keyword_ + " outside a [Model]");
    IbisModel& model = file_.Models.back();
    const std::string what = keyword_ + " in [Model] " + Syntax::Shown(model.Name);
    if (afterUnknown_ && SeenInModel(model, keyword))
        return Lost();
    if (keyword == Keyword::TemperatureRange || keyword == Keyword::VoltageRange) {
        IbisCorners<double>& range = keyword == Keyword::TemperatureRange ? model.TemperatureRange : model.VoltageRange;
        if (!NotTwice(range.Line, what))
            return false;
        Syntax::SplitFields(rest, fields_);
        return Corners(0, keyword_, "", range);
    }
    if (keyword == Keyword::RisingWaveform || keyword == Keyword::FallingWaveform) {
        std::vector<IbisWaveform>& list =
            keyword == Keyword::RisingWaveform ? model.RisingWaveforms : model.FallingWaveforms;
        if (!Takes(rest) || !Count())
            return false;
        list.emplace_back();
        list.back().Line = line_;
        waveform_ = &list.back();
        body_ = Body::Waveform;
        return true;
    }
    if (keyword == Keyword::AddSubmodel) {
        if (!NotTwice(model.AddSubmodelLine, what) || !Takes(rest))
            return false;
        model.AddSubmodelLine = line_;
        body_ = Body::SubmodelRows;
        return true;
    }
    int* firstLine = &model.Ramp.Line;
    body_ = Body::Ramp;
    if (keyword == Keyword::AlgorithmicModel) {
        firstLine = &model.Algorithmic.Line;
        body_ = Body::Executables;
    } else if (keyword != Keyword::Ramp) {
        table_ = keyword == Keyword::Pulldown ? &model.Pulldown
                 : keyword == Keyword::Pullup ? &model.Pullup
                 : keyword == Keyword::GndClamp ? &model.GndClamp
                                                : &model.PowerClamp;
        firstLine = &table_->Line;
        body_ = Body::IvTable;
    }
    if (!NotTwice(*firstLine, what) || !Takes(rest))
        return false;
    *firstLine = line_;
    if (keyword == Keyword::AlgorithmicModel)
        section_ = Section::Algorithmic;
    return true;
}

bool IbisReader::DataLine(std::string_view content)
{
    switch (body_) {
    case Body::None:
        if (section_ == Section::Start)
            return Fail("text before [IBIS Ver]");
        return Fail(Syntax::Quoted(content) + " after " + keyword_ + ", which takes no lines of data");
    case Body::Text: AppendText(content); return true;
    case Body::Skip: return true;
    case Body::ModelLines: return ModelLine(content);
    case Body::Package: return PackageLine(content);
    case Body::Pins: return PinLine(content);
    case Body::DiffPins: return DiffPinLine(content);
    case Body::IvTable: return IvRow(content);
    case Body::Ramp: return RampLine(content);
    case Body::Executables: return ExecutableLine(content);
    case Body::SelectorRows: return SelectorLine(content);
    case Body::Waveform: return WaveformLine(content);
    case Body::SubmodelRows: return SubmodelLine(content);
    case Body::NumberOfPins: return NumberOfPinsLine(content);
    case Body::PinRows: return PinRowLine(content);
    case Body::MappingRows: return MappingLine(content);
    }
    return true;
}

void IbisReader::AppendText(std::string_view content)
{
    std::string& text = text_->Text;
    if (!text.empty())
        text.append(static_cast<std::size_t>(1 + blanks_), '\n');
    text.append(content.data(), content.size());
    blanks_ = 0;
}

void IbisReader::NoteAfterEnd(const char* from, const char* end)
{
    int line = line_;
    while (from != end) {
        const char* lineEnd = static_cast<const char*>(std::memchr(from, '\n', static_cast<std::size_t>(end - from)));
        if (!lineEnd)
            lineEnd = end;
        ++line;
        if (!Syntax::Trim(Syntax::StripComment(std::string_view(from, static_cast<std::size_t>(lineEnd - from)), comment_)).empty()) {
            file_.TextAfterEndLine = line;
            return;
        }
        from = lineEnd == end ? end : lineEnd + 1;
    }
}

bool IbisReader::NewDefinition(std::string_view rest)
{
    std::string name;
    if (!OneWord(rest, name) || !Count())
        return false;
    const std::string kind = Syntax::KeywordName(keyword_.substr(1, keyword_.size() - 2));
    std::vector<IbisDefinition>& list = kind == "submodel"                ? file_.Submodels
                                        : kind == "define package model" ? file_.PackageModels
                                                                          : file_.BoardDescriptions;
    list.emplace_back();
    list.back().Name = std::move(name);
    list.back().Line = line_;
    definition_ = &list.back();
    section_ = Section::Definition;
    body_ = Body::Skip; // [Submodel] and the others take sub-parameters this reader does not keep
    return true;
}

void IbisReader::NoteInner()
{
    if (section_ != Section::Definition || !definition_ || !Count())
        return;
    const std::string& name = file_.Keywords.back().Name;
    if (name.size() > 7 && name.compare(name.size() - 7, 7, " matrix") == 0)
        definition_->RowsInMatrix = 0;
    definition_->Inner.push_back(file_.Keywords.back());
}

bool IbisReader::DefinitionKeyword(Keyword keyword, std::string_view rest)
{
    if (section_ != Section::Definition || !definition_) {
        if (keyword == Keyword::DefinitionEnd)
            return Fail(keyword_ + " without its opening keyword");
        body_ = Body::Skip; // e.g. [Number Of Pins] of a section this reader passes over
        return true;
    }
    NoteInner();
    switch (keyword) {
    case Keyword::DefinitionEnd:
        if (!Takes(rest))
            return false;
        definition_->EndLine = line_;
        definition_ = nullptr;
        section_ = Section::Header;
        body_ = Body::None;
        return true;
    case Keyword::NumberOfPins:
        if (!NotTwice(definition_->NumberOfPinsLine, keyword_))
            return false;
        definition_->NumberOfPinsLine = line_;
        body_ = Body::NumberOfPins;
        return rest.empty() || NumberOfPinsLine(rest);
    case Keyword::MatrixRow:
        // Rows are counted per matrix (the count restarts at each
        // "[... Matrix]"); their argument, a pin, is not kept.
        if (++definition_->RowsInMatrix > definition_->MostRows) {
            definition_->MostRows = definition_->RowsInMatrix;
            definition_->MostRowsLine = line_;
        }
        body_ = Body::Skip; // the matrix's values are not kept
        return true;
    default:
        body_ = Body::PinRows;
        return true;
    }
}

bool IbisReader::Lost()
{
    section_ = Section::Lost;
    body_ = Body::Skip;
    return true;
}

bool IbisReader::SeenInModel(const IbisModel& model, Keyword keyword)
{
    switch (keyword) {
    case Keyword::TemperatureRange: return model.TemperatureRange.Line != 0;
    case Keyword::VoltageRange: return model.VoltageRange.Line != 0;
    case Keyword::Pulldown: return model.Pulldown.Line != 0;
    case Keyword::Pullup: return model.Pullup.Line != 0;
    case Keyword::GndClamp: return model.GndClamp.Line != 0;
    case Keyword::PowerClamp: return model.PowerClamp.Line != 0;
    case Keyword::Ramp: return model.Ramp.Line != 0;
    case Keyword::AlgorithmicModel: return model.Algorithmic.Line != 0;
    case Keyword::AddSubmodel: return model.AddSubmodelLine != 0;
    default: return false;
    }
}
