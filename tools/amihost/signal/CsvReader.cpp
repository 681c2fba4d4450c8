#include "tools/amihost/signal/CsvReader.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "tools/amihost/signal/Resampler.h"

namespace {

bool IsSeparator(char c) { return c == ',' || c == ';' || c == ' ' || c == '\t' || c == '\r'; }

// Parses the whole of [begin, end) as a finite decimal number ("+" allowed).
bool ParseNumber(const char* begin, const char* end, double& value)
{
    bool plus = false;
    if (begin != end && *begin == '+') {
        ++begin;
        plus = true;
    }
    if (begin == end || (plus && *begin == '-'))
        return false;
    const std::from_chars_result r = std::from_chars(begin, end, value);
    return r.ec == std::errc() && r.ptr == end && std::isfinite(value);
}

std::string Where(const std::string& name, int line)
{
    return name + ":" + std::to_string(line) + ": ";
}

// Splits one line into its fields (blank-separated fields may be separated by
// several blanks; "," and ";" separate exactly once, so "1,,2" has an empty
// field).
void SplitFields(const char* begin, const char* end, std::vector<std::pair<const char*, const char*>>& fields)
{
    fields.clear();
    const char* p = begin;
    while (p != end && (*p == ' ' || *p == '\t' || *p == '\r'))
        ++p;
    while (p != end) {
        const char* start = p;
        while (p != end && !IsSeparator(*p))
            ++p;
        fields.emplace_back(start, p);
        while (p != end && (*p == ' ' || *p == '\t' || *p == '\r'))
            ++p;
        if (p != end && (*p == ',' || *p == ';')) {
            ++p;
            while (p != end && (*p == ' ' || *p == '\t' || *p == '\r'))
                ++p;
            if (p == end)
                fields.emplace_back(p, p); // a trailing separator leaves an empty field
        }
    }
}

std::string FieldText(const std::pair<const char*, const char*>& field)
{
    std::string text(field.first, field.second);
    if (text.size() > 40)
        text = text.substr(0, 40) + "...";
    return text;
}

} // namespace

bool CsvReader::ReadTable(const std::string& text, const std::string& name,
                          std::size_t maxColumns, CsvTable& table, std::string& error)
{
    table = CsvTable();
    std::vector<std::pair<const char*, const char*>> fields;
    std::vector<double> row;
    bool headerAllowed = true;
    int line = 0;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end) {
        const char* lineEnd = p;
        while (lineEnd != end && *lineEnd != '\n')
            ++lineEnd;
        ++line;
        const char* lineBegin = p;
        p = lineEnd == end ? end : lineEnd + 1;
        if (line == 1 && lineEnd - lineBegin >= 3 && static_cast<unsigned char>(lineBegin[0]) == 0xEF &&
            static_cast<unsigned char>(lineBegin[1]) == 0xBB && static_cast<unsigned char>(lineBegin[2]) == 0xBF)
            lineBegin += 3; // byte-order mark
        SplitFields(lineBegin, lineEnd, fields);
        if (fields.empty() || *fields[0].first == '#')
            continue;

        row.clear();
        std::size_t bad = fields.size();
        for (std::size_t i = 0; i < fields.size() && bad == fields.size(); ++i) {
            double value = 0.0;
            if (ParseNumber(fields[i].first, fields[i].second, value))
                row.push_back(value);
            else
                bad = i;
        }
        if (bad != fields.size()) {
            if (headerAllowed) {
                headerAllowed = false;
                continue;
            }
            error = Where(name, line) + "field " + std::to_string(bad + 1) + " \"" +
                    FieldText(fields[bad]) + "\" is not a finite number";
            table = CsvTable();
            return false;
        }
        headerAllowed = false;
        if (table.Columns.empty()) {
            if (row.size() > maxColumns) {
                error = Where(name, line) + std::to_string(row.size()) + " columns, expected " +
                        (maxColumns == 1 ? std::string("1") : "1 to " + std::to_string(maxColumns));
                return false;
            }
            table.Columns.resize(row.size());
        } else if (row.size() != table.Columns.size()) {
            error = Where(name, line) + std::to_string(row.size()) + " columns where the rows before have " +
                    std::to_string(table.Columns.size());
            table = CsvTable();
            return false;
        }
        if (table.Lines.size() >= MaxRows) {
            error = Where(name, line) + "more than " + std::to_string(MaxRows) + " rows";
            table = CsvTable();
            return false;
        }
        for (std::size_t c = 0; c < row.size(); ++c)
            table.Columns[c].push_back(row[c]);
        table.Lines.push_back(line);
    }
    if (table.Lines.empty()) {
        error = name + ":" + std::to_string(line > 0 ? line : 1) + ": no numeric rows";
        return false;
    }
    return true;
}

bool CsvReader::ReadSignal(const std::string& text, const std::string& name, double sampleInterval,
                           std::vector<double>& values, std::string& error, SignalSource* source)
{
    values.clear();
    if (source)
        *source = SignalSource();
    if (!(sampleInterval > 0.0 && std::isfinite(sampleInterval))) {
        error = name + ": no sample grid to read it onto (the sample interval must be finite and positive)";
        return false;
    }
    CsvTable table;
    if (!ReadTable(text, name, 2, table, error))
        return false;
    if (table.Columns.size() == 1) {
        values = std::move(table.Columns[0]);
        return true;
    }
    const std::vector<double>& time = table.Columns[0];
    const bool onGrid = Resampler::OnGrid(time, sampleInterval);
    for (std::size_t i = 1; !onGrid && i < time.size(); ++i)
        if (!(time[i] > time[i - 1])) {
            char text[160];
            std::snprintf(text, sizeof text, "time %.9g s does not come after %.9g s: times must rise", time[i],
                          time[i - 1]);
            error = Where(name, table.Lines[i]) + text;
            return false;
        }
    const double span = (time.back() - time.front()) / sampleInterval;
    if (!onGrid && !(span < static_cast<double>(MaxRows))) {
        char text[160];
        std::snprintf(text, sizeof text, "%s: its %.9g s span would take %.9g samples on the grid of %.9g s, more "
                      "than %zu", name.c_str(), time.back() - time.front(), span + 1.0, sampleInterval, MaxRows);
        error = text;
        return false;
    }
    if (source) {
        source->Resampled = !onGrid;
        source->FileStep = time.size() > 1 ? (time.back() - time.front()) / static_cast<double>(time.size() - 1)
                                           : 0.0;
    }
    values = onGrid ? std::move(table.Columns[1]) : Resampler::ToGrid(time, table.Columns[1], sampleInterval);
    return true;
}
