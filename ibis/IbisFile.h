#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "ibis/IbisComponent.h"
#include "ibis/IbisModel.h"
#include "ibis/IbisPlatform.h"
#include "ibis/IbisValue.h"

// A line longer than the oldest IBIS limit of 80 characters (newer versions
// allow 120): a checker reports it against the limit of the file's version.
struct IbisLongLine {
    int Line = 0;
    std::size_t Length = 0; // characters, without the line break
};

// A keyword line as the file writes it: the name as IbisSyntax::KeywordName
// gives it ("gnd clamp"), whether this reader knows it, and its line. The
// checker holds each against the versions of IBIS that have it.
struct IbisKeywordUse {
    std::string Name;
    int Line = 0;
};

// A byte IBIS does not allow in a file: a control character other than tab,
// CR and LF, or one outside 7-bit ASCII.
struct IbisBadByte {
    int Line = 0;
    unsigned char Byte = 0;
};

// A named section that other keywords refer to: a [Submodel], a
// [Define Package Model] or a [Begin Board Description], with the counts a
// checker compares. Counts are of data rows, 0 when the keyword is absent.
struct IbisDefinition {
    std::string Name;
    int Line = 0;
    int EndLine = 0;                   // line of its closing keyword; 0 when it has none
    std::vector<IbisKeywordUse> Inner; // the keywords inside, in file order
    std::optional<double> NumberOfPins; // [Number Of Pins]
    std::size_t PinRows = 0;           // rows of [Pin Numbers] or [Pin List]
    int NumberOfPinsLine = 0;
    std::size_t RowsInMatrix = 0; // [Row]s of the matrix being read
    std::size_t MostRows = 0;     // the most [Row]s of one matrix
    int MostRowsLine = 0;         // the line of the last of those; 0 when there is no [Row]
};

// The executable a host picked for a model: its line and both files
// resolved against the folder of the .ibs file.
struct IbisExecutableChoice {
    const IbisExecutable* Executable = nullptr; // owned by the IbisFile's model
    std::string Library;
    std::string ParameterFile;
};

// An IBIS file (.ibs, .pkg or .ebd) read into plain records: the header
// keywords, each [Component] with its package, pins and pin mappings, each
// [Model] with its C_comp parts, I-V and V-T tables, [Ramp], [Add Submodel]
// and [Algorithmic Model], the [Model Selector]s, and the named definitions
// ([Submodel], [Define Package Model], [Begin Board Description]) with the
// keywords inside them. Every keyword line is kept with its line, those that
// no version of IBIS has apart; the data of keywords not kept ([Model_Spec],
// [Receiver Thresholds], matrices, ...) are passed over. Syntax:
// IbisReader. A fault of syntax gives one line "FILE:LINE: what" (the first
// in the file) and leaves the file empty; an unknown keyword is no fault of
// syntax: it is kept, and the rest of the file reads.
//
// The reader keeps what a checker needs (every record's line, every name as
// written, lines over 80 characters, bytes IBIS does not allow, text after
// [End]) and judges only syntax and what a simulator needs to find a model
// unambiguously; limits of count, length, order and version are left to the
// checker (IbisRules).
class IbisFile {
public:
    // Larger files are refused, and at most MaxRecords pins, table rows and
    // other list entries are kept, so that no input exhausts memory.
    static constexpr std::size_t MaxBytes = 32u << 20;
    static constexpr std::size_t MaxRecords = 1000000;

    // Reads the contents `text` of the file called `path` into `file`.
    static bool Read(const std::string& text, const std::string& path, IbisFile& file,
                     std::string& error);

    // Reads the file at `path` (at most MaxBytes) into `file`.
    static bool ReadFile(const std::string& path, IbisFile& file, std::string& error);

    // Reads the whole file at `path`, at most `maxBytes`; a larger, missing
    // or unreadable file (or a folder) is refused with one line "PATH: reason".
    static bool ReadText(const std::string& path, std::size_t maxBytes, std::string& text, std::string& error);

    // The models with an [Algorithmic Model], in file order.
    std::vector<const IbisModel*> AmiModels() const;

    // The [Model] called exactly `name` (IBIS names are case-sensitive).
    const IbisModel* FindModel(const std::string& name) const;

    // The AMI model a host runs: the one called `name`, or with an empty
    // `name` the only AMI model of the file. Null with the reason otherwise.
    const IbisModel* SelectAmiModel(const std::string& name, std::string& error) const;

    // The Executable line of `model` for `platform`: the one with the
    // platform's own compiler, else the first of the same system and
    // bitness; both files resolved with Resolve(). False with the reason
    // (naming the lines the model has) when there is none.
    bool FindExecutable(const IbisModel& model, const IbisPlatform& platform,
                        IbisExecutableChoice& choice, std::string& error) const;

    // `file` relative to the folder of Path (unchanged when absolute).
    std::string Resolve(const std::string& file) const;

    std::string Path; // the name the file was read under

    // What the file is, by its extension (any case): a component file
    // (.ibs, and any other name), a package file (.pkg) or a board file (.ebd).
    enum class FileKind { Ibs, Pkg, Ebd };
    FileKind Kind = FileKind::Ibs;

    // Header keywords.
    IbisText IbisVer; // the version as written, e.g. "7.1"
    int VersionMajor = 0, VersionMinor = 0;
    IbisText FileName, FileRev, Date, Source, Notes, Disclaimer, Copyright;

    std::vector<IbisComponent> Components;
    std::vector<IbisModel> Models;
    std::vector<IbisModelSelector> ModelSelectors;

    std::vector<IbisKeywordUse> Keywords; // every keyword line, in file order (up to MaxRecords)
    std::vector<IbisKeywordUse> Unknown;  // keywords that no version of IBIS has, named as written
    std::vector<IbisBadByte> BadBytes;    // the first bad byte of each line that has one
    std::vector<IbisDefinition> Submodels, PackageModels, BoardDescriptions;

    int EndLine = 0;          // line of [End]
    int TextAfterEndLine = 0; // first line after [End] holding more than blanks and comments; 0 if none
    std::vector<IbisLongLine> LongLines; // up to [End], in file order
};
