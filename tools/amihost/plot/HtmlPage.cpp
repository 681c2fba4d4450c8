#include "tools/amihost/plot/HtmlPage.h"

#include <cstdio>

namespace {

// Layout for desktop and laptop widths: the figures flow into as many
// columns of at least 520 px (wide ones 640 px) as fit, each scaled to its
// column: two eyes side by side on a laptop's screen.
const char* const Style = R"(
body{font-family:system-ui,-apple-system,"Segoe UI",sans-serif;margin:0;color:#222;background:#f6f7f9}
main{max-width:1500px;margin:0 auto;padding:16px 24px 40px}
h1{font-size:1.5em;margin:.4em 0 .1em}h2{font-size:1.15em;margin:1.4em 0 .5em;border-bottom:1px solid #ccd}
p.sub{color:#555;margin:0 0 1em}
dl{display:grid;grid-template-columns:max-content 1fr;gap:2px 16px;margin:0}
dt{color:#555}dd{margin:0;font-family:ui-monospace,Menlo,Consolas,monospace;font-size:.92em;word-break:break-all}
.warn{background:#fff4d6;border-left:4px solid #e0a000;padding:6px 10px;margin:4px 0}
table{border-collapse:collapse;background:#fff;font-variant-numeric:tabular-nums}
th,td{border:1px solid #ccd;padding:3px 9px;text-align:right}th{background:#e9ecf2;cursor:pointer;user-select:none}
th[aria-sort=ascending]::after{content:" \25B2"}th[aria-sort=descending]::after{content:" \25BC"}
td:first-child,th:first-child,td:last-child,th:last-child{text-align:left}tr.best td{background:#dff3df;font-weight:600}
tr.warned td{background:#fdeaea}
.figs{display:grid;grid-template-columns:repeat(auto-fill,minmax(520px,1fr));gap:12px}
.figs.wide{grid-template-columns:repeat(auto-fill,minmax(640px,1fr))}
figure{margin:0;background:#fff;border:1px solid #dde;padding:6px}
figure svg{width:100%;height:auto;display:block}figcaption{font-size:.85em;color:#555;margin-top:4px}
ul.files{columns:3 220px;font-family:ui-monospace,Menlo,Consolas,monospace;font-size:.9em}
)";

// Sorting by a heading's click (numbers by their key, else text), and the
// marks that say the script ran.
const char* const Script = R"(
(function(){
var root=document.documentElement;
window.addEventListener('error',function(e){if(!root.dataset.pageError)root.dataset.pageError=String(e.message);});
document.querySelectorAll('table.sortable').forEach(function(table){
  var heads=table.querySelectorAll('th');
  heads.forEach(function(th,col){th.addEventListener('click',function(){
    var up=th.getAttribute('aria-sort')!=='ascending';
    heads.forEach(function(h){h.removeAttribute('aria-sort');});
    th.setAttribute('aria-sort',up?'ascending':'descending');
    var body=table.tBodies[0];
    var rows=Array.prototype.slice.call(body.rows);
    rows.sort(function(a,b){
      var x=a.cells[col],y=b.cells[col];
      var p=parseFloat(x.dataset.key),q=parseFloat(y.dataset.key);
      var d=(isNaN(p)||isNaN(q))?x.textContent.localeCompare(y.textContent,undefined,{numeric:true}):p-q;
      return up?d:-d;});
    rows.forEach(function(r){body.appendChild(r);});
  });});
});
var shown=0;
document.querySelectorAll('figure svg').forEach(function(svg){
  var box=svg.getBoundingClientRect();if(box.width>0&&box.height>0)shown++;});
root.dataset.figuresShown=String(shown);
root.dataset.pageReady='yes';
})();
)";

std::string Number(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

} // namespace

HtmlPage::HtmlPage(const std::string& title, const std::string& subtitle) : title_(title)
{
    body_ = "<h1>" + Escape(title) + "</h1>\n";
    if (!subtitle.empty())
        body_ += "<p class=\"sub\">" + Escape(subtitle) + "</p>\n";
}

void HtmlPage::Heading(const std::string& text) { body_ += "<h2>" + Escape(text) + "</h2>\n"; }

void HtmlPage::Paragraph(const std::string& text) { body_ += "<p>" + Escape(text) + "</p>\n"; }

void HtmlPage::Facts(const std::vector<std::pair<std::string, std::string>>& facts)
{
    body_ += "<dl>\n";
    for (const auto& fact : facts)
        body_ += "<dt>" + Escape(fact.first) + "</dt><dd>" + Escape(fact.second) + "</dd>\n";
    body_ += "</dl>\n";
}

void HtmlPage::Warnings(const std::vector<std::string>& warnings)
{
    for (const std::string& warning : warnings)
        body_ += "<div class=\"warn\" role=\"alert\">warning: " + Escape(warning) + "</div>\n";
}

void HtmlPage::Table(const std::vector<std::string>& head, const std::vector<std::vector<Cell>>& rows,
                     std::size_t marked, const std::vector<bool>& flagged)
{
    body_ += "<table class=\"sortable\"><thead><tr>";
    for (const std::string& name : head)
        body_ += "<th scope=\"col\" title=\"sort\">" + Escape(name) + "</th>";
    body_ += "</tr></thead>\n<tbody>\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool warned = i < flagged.size() && flagged[i];
        body_ += i == marked ? "<tr class=\"best\">" : warned ? "<tr class=\"warned\">" : "<tr>";
        for (const Cell& cell : rows[i]) {
            body_ += std::isfinite(cell.Key) ? "<td data-key=\"" + Number(cell.Key) + "\">" : std::string("<td>");
            body_ += Escape(cell.Text) + "</td>";
        }
        body_ += "</tr>\n";
    }
    body_ += "</tbody></table>\n";
}

void HtmlPage::Figures(const std::vector<Figure>& figures, bool wide)
{
    body_ += wide ? "<div class=\"figs wide\">\n" : "<div class=\"figs\">\n";
    for (const Figure& figure : figures)
        body_ += "<figure>" + InlineSvg(figure.Svg) + "<figcaption>" + Escape(figure.Caption) +
                 "</figcaption></figure>\n";
    body_ += "</div>\n";
}

void HtmlPage::Files(const std::vector<std::string>& names)
{
    body_ += "<ul class=\"files\">\n";
    for (const std::string& name : names)
        body_ += "<li><a href=\"" + Escape(name) + "\">" + Escape(name) + "</a></li>\n";
    body_ += "</ul>\n";
}

std::string HtmlPage::Finish() const
{
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src data:; "
           "style-src 'unsafe-inline'; script-src 'unsafe-inline'\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
           Escape(title_) + "</title>\n<style>" + Style + "</style>\n</head>\n<body>\n<main>\n" + body_ +
           "</main>\n<script>" + Script + "</script>\n</body>\n</html>\n";
}

std::string HtmlPage::Escape(const std::string& text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::string HtmlPage::InlineSvg(const std::string& document)
{
    if (document.compare(0, 5, "<?xml") != 0)
        return document;
    const std::size_t end = document.find("?>");
    if (end == std::string::npos)
        return document;
    std::size_t start = end + 2;
    while (start < document.size() && (document[start] == '\n' || document[start] == '\r'))
        ++start;
    return document.substr(start);
}
