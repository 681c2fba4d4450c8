// End to end in a real browser: the index.html that run and sweep write,
// opened in headless Chromium at a desktop and a laptop width (1440 and
// 1280 pixels), one start of the browser for each. The page must
// load without a console error, its own script must have run (the marks it
// sets on <html>), the table must hold one row per setting and every plot
// must have an area on the screen; the screenshots must not be blank.
// Skipped, with a message, where no Chromium is installed.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/amihost/signal/TextFile.h"

namespace fs = std::filesystem;

namespace {

const std::string Dir = std::string(AMIHOST_TEST_DIR) + "/page";
const std::string Model = std::string(" '") + HALVEX_MODEL_PATH + "' '" + HALVEX_AMI_PATH + "'";
const std::string Timing = " --bit-time 78.125e-12 --samples-per-bit 32 --response-bits 48";

int Shell(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The first Chromium on PATH; empty when there is none.
std::string Browser()
{
    for (const char* name : {"chromium", "chromium-browser"})
        if (Shell(std::string("command -v ") + name + " >/dev/null 2>&1") == 0)
            return name;
    return std::string();
}

std::string Read(const std::string& path)
{
    std::string text;
    std::string error;
    EXPECT_TRUE(TextFile::Read(path, 1 << 28, text, error)) << error;
    return text;
}

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Headless Chromium on `page` at `width` x `height` with `action`
// (--dump-dom and --screenshot=FILE), its own profile, nothing fetched from the
// network; standard output to `out`, its log (console messages) to `log`.
void Open(const std::string& browser, const std::string& page, int width, int height, const std::string& action,
          const std::string& out, const std::string& log)
{
    const std::string profile = Dir + "/profile-" + std::to_string(getpid());
    fs::remove_all(profile);
    const std::string command = browser +
                                " --headless --no-sandbox --disable-gpu --disable-background-networking"
                                " --disable-component-update --disable-sync --no-first-run --disable-default-apps"
                                " --hide-scrollbars --enable-logging=stderr --v=0 --user-data-dir='" + profile +
                                "' --window-size=" + std::to_string(width) + "," + std::to_string(height) + " " +
                                action + " 'file://" + page + "' >'" + out + "' 2>'" + log + "'";
    EXPECT_EQ(Shell(command), 0) << command << "\n" << Read(log);
    fs::remove_all(profile);
}

// The pixels of a PNG of 8-bit RGB or RGBA (what Chromium writes), as RGB;
// empty when it is anything else.
std::vector<unsigned char> Pixels(const std::string& png, unsigned& width, unsigned& height)
{
    auto be32 = [&](std::size_t at) {
        return (unsigned(static_cast<unsigned char>(png[at])) << 24) |
               (unsigned(static_cast<unsigned char>(png[at + 1])) << 16) |
               (unsigned(static_cast<unsigned char>(png[at + 2])) << 8) | unsigned(static_cast<unsigned char>(png[at + 3]));
    };
    if (png.size() < 33 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || png.compare(12, 4, "IHDR") != 0)
        return {};
    width = be32(16);
    height = be32(20);
    const int depth = png[24];
    const int type = png[25];
    const std::size_t channels = type == 6 ? 4 : type == 2 ? 3 : 0;
    if (depth != 8 || channels == 0 || png[28] != 0 || width == 0 || height == 0 || width > 10000 || height > 20000)
        return {};
    std::string compressed;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t length = be32(at);
        if (at + 12 + length > png.size())
            return {};
        if (png.compare(at + 4, 4, "IDAT") == 0)
            compressed.append(png, at + 8, length);
        at += 12 + length;
    }
    const std::size_t stride = width * channels;
    std::vector<unsigned char> raw(height * (stride + 1));
    uLongf size = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(compressed.data()),
                   static_cast<uLong>(compressed.size())) != Z_OK ||
        size != raw.size())
        return {};
    // Undo the PNG row filters (None, Sub, Up, Average, Paeth).
    std::vector<unsigned char> image(height * stride);
    for (std::size_t y = 0; y < height; ++y) {
        const unsigned char filter = raw[y * (stride + 1)];
        const unsigned char* in = &raw[y * (stride + 1) + 1];
        unsigned char* row = &image[y * stride];
        const unsigned char* up = y > 0 ? &image[(y - 1) * stride] : nullptr;
        for (std::size_t x = 0; x < stride; ++x) {
            const int a = x >= channels ? row[x - channels] : 0;
            const int b = up ? up[x] : 0;
            const int c = up && x >= channels ? up[x - channels] : 0;
            int p = 0;
            switch (filter) {
            case 0: break;
            case 1: p = a; break;
            case 2: p = b; break;
            case 3: p = (a + b) / 2; break;
            case 4: {
                const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
                p = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
                break;
            }
            default: return {};
            }
            row[x] = static_cast<unsigned char>(in[x] + p);
        }
    }
    std::vector<unsigned char> rgb;
    rgb.reserve(std::size_t{width} * height * 3);
    for (std::size_t i = 0; i < image.size(); i += channels)
        rgb.insert(rgb.end(), &image[i], &image[i] + 3);
    return rgb;
}

// The share of a screenshot's pixels in strong colour (the plots' colour
// maps and curves): a blank page, or one of text and tables alone, has none.
double ColouredShare(const std::string& png, unsigned expectedWidth)
{
    unsigned width = 0;
    unsigned height = 0;
    const std::vector<unsigned char> rgb = Pixels(png, width, height);
    EXPECT_EQ(width, expectedWidth);
    if (rgb.empty())
        return 0.0;
    std::size_t coloured = 0;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        const int high = std::max({rgb[i], rgb[i + 1], rgb[i + 2]});
        const int low = std::min({rgb[i], rgb[i + 1], rgb[i + 2]});
        coloured += high - low > 80;
    }
    return static_cast<double>(coloured) / (rgb.size() / 3);
}

// Opens `page` as described above at each of `widths` and checks it: `rows`
// rows in the table and `figures` plots, every one shown. The window is
// tall, so that plots are on the screenshot.
void CheckInBrowser(const std::string& browser, const std::string& page, std::size_t rows, std::size_t figures,
                    const std::vector<int>& widths)
{
    const std::string base = fs::path(page).parent_path().string() + "/browser";
    for (const int width : widths) {
        SCOPED_TRACE("window width " + std::to_string(width));
        const std::string shot = base + "-" + std::to_string(width) + ".png";
        fs::remove(shot);
        Open(browser, page, width, 2400, "--dump-dom --screenshot='" + shot + "'", base + "-dom.html",
             base + "-dom.log");
        const std::string dom = Read(base + "-dom.html");
        const std::string log = Read(base + "-dom.log");
        EXPECT_NE(dom.find("data-page-ready=\"yes\""), std::string::npos) << "the page's script did not finish";
        EXPECT_EQ(dom.find("data-page-error"), std::string::npos) << dom.substr(0, 400);
        // The page writes nothing to the console: any message there (an
        // uncaught error, console.error, a load that the page's policy
        // refused) is a fault. Chromium logs them all as CONSOLE lines.
        EXPECT_EQ(log.find("CONSOLE"), std::string::npos) << log;
        EXPECT_EQ(log.find("Uncaught"), std::string::npos) << log;
        EXPECT_EQ(log.find("Refused to"), std::string::npos) << log;
        EXPECT_NE(dom.find("data-figures-shown=\"" + std::to_string(figures) + "\""), std::string::npos)
            << "expected " << figures << " plots shown";
        EXPECT_EQ(Count(dom, "<svg"), figures);
        const std::size_t body = dom.find("<tbody>");
        ASSERT_NE(body, std::string::npos) << "no table";
        EXPECT_EQ(Count(dom.substr(body, dom.find("</tbody>", body) - body), "<tr"), rows);
        EXPECT_GT(ColouredShare(Read(shot), static_cast<unsigned>(width)), 0.02) << shot << " looks blank";
    }
}

} // namespace

TEST(HostCommandsPage, SweepPageShowsOneRowPerSettingAndEveryPlotInABrowser)
{
    const std::string browser = Browser();
    if (browser.empty())
        GTEST_SKIP() << "no Chromium on PATH (chromium or chromium-browser): the report page is not tested in a "
                        "browser; make test installs it where apt-get can";
    const std::string out = Dir + "/sweep";
    fs::remove_all(out);
    const std::string command = std::string("'") + AMIHOST_PATH + "' sweep" + Model + Timing +
                                " --bits 200 --loss 12 --param de=0,5,10,15 --out '" + out + "' >/dev/null 2>&1";
    ASSERT_EQ(Shell(command), 0) << command;
    // steps.svg and bathtubs.svg, and an eye and a bathtub per setting.
    CheckInBrowser(browser, out + "/index.html", 4, 2 + 2 * 4, {1440, 1280});
}

TEST(HostCommandsPage, RunPageShowsItsRowAndItsThreePlotsInABrowser)
{
    const std::string browser = Browser();
    if (browser.empty())
        GTEST_SKIP() << "no Chromium on PATH: the report page is not tested in a browser";
    const std::string out = Dir + "/run";
    fs::remove_all(out);
    const std::string command = std::string("'") + AMIHOST_PATH + "' run" + Model + Timing +
                                " --bits 200 --loss 12 --set de=12 --out '" + out + "' >/dev/null 2>&1";
    ASSERT_EQ(Shell(command), 0) << command;
    CheckInBrowser(browser, out + "/index.html", 1, 3, {1280});
}
