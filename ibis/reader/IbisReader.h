#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ibis/IbisFile.h"

// The syntax of an IBIS file, read line by line into an IbisFile.
//
// - A line that begins with "[" (in column 1) is a keyword line: the
//   keyword is the text up to "]" (and before any comment), in any case,
//   with blanks and underscores alike ([GND_Clamp] = [gnd clamp]); what
//   follows on the line is its argument. A keyword's data are the lines up
//   to the next keyword. [Model Selector] rows are kept as names.
// - The comment character ("|" until a [Comment Char] X_char changes it)
//   starts a comment anywhere on a line.
// - Sub-parameters are "Name values" or "Name = values", the name in any
//   case; table rows are blank-separated fields, one row per line (IBIS
//   continues rows over lines only in package matrices and switch groups,
//   which are skipped); numbers as IbisNumber reads them, NA where IBIS
//   allows it.
// - [IBIS Ver] comes first (only [Comment Char], blank and comment lines
//   may precede it); reading stops at [End], which must be there.
// - Sections: [Component] holds [Manufacturer], [Package], [Package Model],
//   [Pin], [Diff Pin], [Pin Mapping] and [Series Pin Mapping]; [Model]
//   holds its sub-parameters (those not kept are passed over), the ranges,
//   the I-V tables, [Ramp], the V-T tables, [Add Submodel] and one
//   [Algorithmic Model] closed by [End Algorithmic Model] with nothing but
//   Executable lines inside. [Submodel], [Define Package Model] (closed by
//   [End Package Model]) and [Begin Board Description] (closed by
//   [End Board Description]) are definitions: their name, the keywords
//   inside, [Number Of Pins], the rows of [Pin Numbers] or [Pin List] and
//   the [Row]s of each matrix are kept, so that their own [Manufacturer] or
//   [Pulldown] is not taken for a component's or model's. [Test Data],
//   [Test Load], [External Circuit] and [Interconnect Model Set] are
//   skipped whole. Header keywords are read wherever they stand.
// - A keyword no version of IBIS has is kept at its line and its data are
//   passed over; until the next section keyword, a keyword that cannot
//   belong to the section before (outside it, or given twice) is taken for
//   part of the unknown one and passed over too.
// - Refused, naming the line: a NUL byte; a keyword without "]"; text
//   before [IBIS Ver] or after a keyword that takes no data; a kept keyword
//   outside its section or given twice where one is kept; a malformed
//   row, number or name; a second [Model] of the same name; more than
//   IbisFile::MaxRecords entries; no [End].
class IbisReader {
public:
    IbisReader(const std::string& path, IbisFile& file);

    // Reads `text` into the file given to the constructor (which must be
    // empty). On failure returns false with one line "PATH:LINE: what".
    bool Read(const std::string& text, std::string& error);

private:
    enum class Keyword;
    // Lost: after a keyword no version of IBIS has, up to the next section.
    enum class Section { Start, Header, Component, Model, Algorithmic, Selector, Definition, Skipped, Lost };
    enum class Body {
        None, Text, Skip, ModelLines, Package, Pins, DiffPins, IvTable, Ramp, Executables, SelectorRows,
        Waveform, SubmodelRows, NumberOfPins, PinRows, MappingRows
    };

    static Keyword Lookup(const std::string& normalised);

    bool ReadLine(std::string_view raw);
    bool KeywordLine(std::string_view raw);
    bool CommentCharLine(std::string_view rest);
    bool DataLine(std::string_view content);
    bool Dispatch(Keyword keyword, std::string_view rest);
    bool HeaderKeyword(Keyword keyword, std::string_view rest);
    bool ComponentKeyword(Keyword keyword, std::string_view rest);
    bool ModelKeyword(Keyword keyword, std::string_view rest);
    bool SectionKeyword(Keyword keyword, std::string_view rest);
    bool NewComponent(std::string_view rest);
    bool NewModel(std::string_view rest);
    bool NewSelector(std::string_view rest);
    bool ModelLine(std::string_view content);
    bool PackageLine(std::string_view content);
    bool PinLine(std::string_view content);
    bool DiffPinLine(std::string_view content);
    bool IvRow(std::string_view content);
    bool RampLine(std::string_view content);
    bool ExecutableLine(std::string_view content);
    bool SelectorLine(std::string_view content);
    bool NewDefinition(std::string_view rest);
    bool DefinitionKeyword(Keyword keyword, std::string_view rest);
    void NoteInner();
    bool Lost();
    static bool SeenInModel(const IbisModel& model, Keyword keyword);
    bool WaveformLine(std::string_view content);
    bool SubmodelLine(std::string_view content);
    bool NumberOfPinsLine(std::string_view content);
    bool PinRowLine(std::string_view content);
    bool MappingLine(std::string_view content);
    void AppendText(std::string_view content);
    void NoteAfterEnd(const char* from, const char* end);

    // Helpers that name the fault in error_ and return false.
    bool Fail(const std::string& what);
    bool Count();
    bool NotTwice(int firstLine, const std::string& what);
    bool Takes(std::string_view rest);
    // Messages name the value as `what` followed by `detail` (so that a
    // row builds no text unless it fails).
    bool Number(std::string_view token, const std::string& what, const char* detail, double& value);
    bool NumberOrNa(std::string_view token, const std::string& what, const char* detail,
                    std::optional<double>& value);
    // Values from fields_: three (typ min max) from fields_[first] on, or one.
    bool Corners(std::size_t first, const std::string& what, const char* detail, IbisCorners<double>& out);
    bool Slopes(const std::string& what, IbisCorners<IbisSlope>& out);
    bool Single(const std::string& what, IbisValue& out);
    bool OneWord(std::string_view rest, std::string& word);

    const std::string& path_;
    IbisFile& file_;
    std::string error_;
    int line_ = 0;          // 1-based number of the line being read
    char comment_ = '|';    // the comment character in force
    Section section_ = Section::Start;
    Body body_ = Body::None;
    std::string keyword_;   // the last keyword as written, for messages
    IbisText* text_ = nullptr;       // the text keyword being read (Body::Text)
    int blanks_ = 0;                 // blank lines inside that text, not yet appended
    IbisIvTable* table_ = nullptr;   // the I-V table being read (Body::IvTable)
    IbisWaveform* waveform_ = nullptr;      // the waveform being read (Body::Waveform)
    IbisDefinition* definition_ = nullptr;  // the definition being read (Section::Definition)
    std::vector<IbisMappingRow>* mapping_ = nullptr; // the rows of [Pin Mapping] or [Series Pin Mapping]
    bool afterUnknown_ = false;             // an unknown keyword since the last section keyword
    std::size_t records_ = 0;        // list entries kept so far
    std::vector<std::string_view> fields_; // the fields of the line being read
    std::unordered_map<std::string, int> modelLines_; // [Model] name -> its line
};
