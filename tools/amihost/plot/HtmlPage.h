#pragma once

#include <cmath>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// One self-contained HTML page of a command's results: facts, a sortable
// table, the SVG plots inline, warnings and links to the files beside it.
// Nothing is fetched: no stylesheet, script, font or image from elsewhere
// (the page's own Content-Security-Policy forbids it), and its few lines of
// script are its own. All text given is HTML-escaped; the SVGs are the
// plots' own documents (SvgPlot), whose XML declaration is dropped.
//
// The script sorts the table by a click on a column's heading and, when it
// ran without an error, marks the page: data-page-ready="yes" on <html>,
// data-figures-shown with the number of figures that have an area on the
// screen, and data-page-error with the first uncaught error. A browser test
// reads these from the page's DOM.
class HtmlPage {
public:
    // A table cell: its text and the number it sorts by (NaN: by its text).
    struct Cell {
        std::string Text;
        double Key = std::nan("");
    };
    // A plot: its caption and its SVG document.
    struct Figure {
        std::string Caption;
        std::string Svg;
    };

    HtmlPage(const std::string& title, const std::string& subtitle);

    void Heading(const std::string& text);
    void Paragraph(const std::string& text);
    // A two-column list of (what, value).
    void Facts(const std::vector<std::pair<std::string, std::string>>& facts);
    // Each warning in a highlighted box; nothing when there are none.
    void Warnings(const std::vector<std::string>& warnings);
    // A sortable table with one row per entry of `rows` (each as long as
    // `head`); row `marked` (rows.size(): none) is highlighted as the best,
    // and the rows in `flagged` as warned about.
    void Table(const std::vector<std::string>& head, const std::vector<std::vector<Cell>>& rows, std::size_t marked,
               const std::vector<bool>& flagged);
    // The plots in a grid, `wide` ones a column each.
    void Figures(const std::vector<Figure>& figures, bool wide);
    // Links to files in the page's folder.
    void Files(const std::vector<std::string>& names);

    std::string Finish() const;

    static std::string Escape(const std::string& text);
    // An SVG document as an element of the page: without its XML declaration.
    static std::string InlineSvg(const std::string& document);

private:
    std::string title_;
    std::string body_;
};
