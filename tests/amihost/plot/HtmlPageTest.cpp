#include "tools/amihost/plot/HtmlPage.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/amihost/plot/TextCount.h"
#include "tools/amihost/plot/SvgPlot.h"

namespace {


std::string Plot(const std::string& title)
{
    SvgPlot plot(300, 200, title);
    plot.SetRange(0, 1, 0, 1);
    plot.Axes("x", "y");
    return plot.Finish();
}

} // namespace

TEST(HtmlPage, TextFromTheRunIsEscapedEverywhere)
{
    HtmlPage page("model <b>&", "a \"b\" 'c'");
    page.Facts({{"<k>", "path/with <script>alert(1)</script>"}});
    page.Warnings({"level > 10 & inverted"});
    page.Table({"<h>"}, {{{"<td>", 1.0}}}, 1, {});
    page.Files({"a\"b.csv"});
    const std::string html = page.Finish();
    EXPECT_EQ(html.find("<b>"), std::string::npos);
    EXPECT_EQ(html.find("<script>alert"), std::string::npos);
    EXPECT_NE(html.find("model &lt;b&gt;&amp;"), std::string::npos);
    EXPECT_NE(html.find("a &quot;b&quot; &#39;c&#39;"), std::string::npos);
    EXPECT_NE(html.find("level &gt; 10 &amp; inverted"), std::string::npos);
    EXPECT_NE(html.find("href=\"a&quot;b.csv\""), std::string::npos);
    EXPECT_EQ(Count(html, "<script"), 1u); // its own, once
}

TEST(HtmlPage, HoldsOneRowPerEntryAndEveryPlotInlineWithNothingFromElsewhere)
{
    HtmlPage page("sweep", "");
    page.Table({"setting", "height"},
               {{{"de=0", 0.0}, {"closed", -0.1}}, {{"de=1", 1.0}, {"0.2", 0.2}}, {{"de=2", 2.0}, {"0.3", 0.3}}}, 2,
               {true, false, false});
    page.Figures({{"eye 0", Plot("a")}, {"eye 1", Plot("b")}}, false);
    const std::string html = page.Finish();
    const std::string body = html.substr(html.find("<tbody>"), html.find("</tbody>") - html.find("<tbody>"));
    EXPECT_EQ(Count(body, "<tr"), 3u);
    EXPECT_EQ(Count(body, "<tr class=\"best\">"), 1u);
    EXPECT_EQ(Count(body, "<tr class=\"warned\">"), 1u);
    EXPECT_NE(body.find("<td data-key=\"-0.10000000000000001\">closed</td>"), std::string::npos) << body;
    EXPECT_EQ(Count(html, "<svg"), 2u);
    EXPECT_EQ(Count(html, "<figure>"), 2u);
    // The plots' XML declarations would be text in HTML.
    EXPECT_EQ(html.find("<?xml"), std::string::npos);
    // Only the SVG namespaces name another address; nothing is loaded from one.
    EXPECT_EQ(Count(html, "://"), 2 * Count(html, "xmlns=\"http://www.w3.org/2000/svg\""));
    EXPECT_EQ(html.find(" src="), std::string::npos);
    EXPECT_NE(html.find("default-src 'none'"), std::string::npos);
}
