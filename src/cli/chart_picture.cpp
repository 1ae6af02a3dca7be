#include "cli/chart_picture.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>
#include <tuple>

#include "core/card/card_layout.h"
#include "core/platform/platform.h"
#include "core/text/file_io.h"

#ifdef HJ_HAVE_PNG
#include <QGuiApplication>

#include "paint/paint_drawing.h"
#endif

namespace hj::cli {
namespace {

constexpr const char* kNoPng = "此版本不能生成PNG图片，请用 --svg";
#ifdef HJ_HAVE_PNG
constexpr bool kCanPng = true;
#else
constexpr bool kCanPng = false;
#endif

namespace fs = std::filesystem;

// Bytes to an open stream, every one of them: a full device or a closed pipe is an error.
bool writeStream(std::FILE* f, const std::string& name, std::string_view bytes, std::string& error) {
    errno = 0;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
    if (!ok) error = "无法写入 " + name + "：" + text::reasonOf(errno ? errno : EIO);
    return ok;
}

// The file a chain of links ends at (the path itself when it is no link); the chain may end at
// a name that does not exist yet.
fs::path endOfLinks(fs::path p) {
    std::error_code ec;
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(p, ec)); ++hops) {
        const fs::path t = fs::read_symlink(p, ec);
        if (ec) break;
        p = t.is_absolute() ? t : p.parent_path() / t;
    }
    return p;
}

bool writeFile(const std::string& path, std::string_view bytes, std::string& error) {
    if (path == "-") return writeStream(stdout, "标准输出", bytes, error);
    std::error_code ec;
    const fs::path p = platform::pathOf(path);
    const fs::file_status st = fs::status(p, ec);  // through links, as the system sees them
    if (fs::is_directory(st)) {
        error = "无法写入 " + path + "：这是一个文件夹";
        return false;
    }
    if (fs::exists(st) && !fs::is_regular_file(st)) {
        // A device, a FIFO, a terminal: written to, never replaced.
#ifdef _WIN32
        std::FILE* f = ::_wfopen(p.c_str(), L"wb");
#else
        std::FILE* f = std::fopen(path.c_str(), "wb");
#endif
        if (!f) {
            error = "无法写入 " + path + "：" + text::reasonOf(errno);
            return false;
        }
        bool ok = writeStream(f, path, bytes, error);
        if (std::fclose(f) != 0 && ok) {
            error = "无法写入 " + path + "：" + text::reasonOf(errno);
            ok = false;
        }
        return ok;
    }
    // A regular file or none: replaced whole; a link stays and its file is replaced.
    const std::string target = platform::utf8Of(endOfLinks(p));
    std::string why;
    if (text::writeFileAtomically(target, bytes, &why)) return true;
    error = "无法写入 " + path + "：" + why;
    return false;
}

bool writePng(const card::Drawing& drawing, const PictureOptions& o, std::string& error) {
#ifdef HJ_HAVE_PNG
    // Qt's painter needs an application; the offscreen platform needs no display.
    int argc = 3;
    char arg0[] = "hengjian-cli", arg1[] = "-platform", arg2[] = "offscreen";
    char* argv[] = {arg0, arg1, arg2, nullptr};
    // Its notes on a missing runtime folder and the like are no concern of a picture.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    });
    std::optional<QGuiApplication> app;
    if (!QGuiApplication::instance()) app.emplace(argc, argv);
    QByteArray png;
    if (!paint::drawingPng(drawing, o.scale, png)) {
        error = "无法生成PNG图片";
        return false;
    }
    return writeFile(o.png, std::string_view(png.constData(), static_cast<std::size_t>(png.size())), error);
#else
    (void)drawing;
    (void)o;
    error = kNoPng;
    return false;
#endif
}

}  // namespace

void addPictureOptions(CLI::App* chart, PictureOptions& o) {
    chart->add_option("--svg", o.svg, "Write the chart as a picture (命盘) to FILE, in SVG, instead of printing the report (- for standard output)")
        ->type_name("FILE")
        ->each([&o](const std::string&) { o.svgGiven = true; });
    chart->add_option("--png", o.png, "Write the chart as a picture (命盘) to FILE, in PNG, instead of printing the report (- for standard output)")
        ->type_name("FILE")
        ->each([&o](const std::string&) { o.pngGiven = true; });
    chart->add_option("--scale", o.scale, "Size of the picture: N times 540 pixels wide (default 2)")
        ->check(CLI::Range(1, 8));
}

bool writePictures(const Chart& chart, const card::CardChoice& choice, const PictureOptions& o, std::string& error) {
    for (const auto& [given, name, option] : {std::tuple{o.svgGiven, &o.svg, "--svg"}, std::tuple{o.pngGiven, &o.png, "--png"}})
        if (given && name->empty()) {
            error = std::string(option) + " 需要一个文件名（- 表示标准输出）";
            return false;
        }
    if (o.pngGiven && !kCanPng) {  // before any file is written
        error = kNoPng;
        return false;
    }
    const card::Drawing drawing = card::layoutChartCard(card::buildChartCard(chart, choice));
    if (o.svgGiven && !writeFile(o.svg, card::writeSvg(drawing, o.scale), error)) return false;
    return !o.pngGiven || writePng(drawing, o, error);
}

nlohmann::json pillarsDetailJson(const card::ChartCard& card) {
    using nlohmann::json;
    json out = json::array();
    for (const card::PillarDetail& p : card.pillars) {
        json hidden = json::array();
        for (const card::HiddenStem& h : p.hidden) hidden.push_back({{"stem", h.stem}, {"god", h.god}});
        out.push_back({{"pillar", p.pillar},
                       {"stem", p.stem},
                       {"branch", p.branch},
                       {"stemGod", p.stemGod},
                       {"hidden", hidden},
                       {"nayin", p.nayin},
                       {"stage", p.stage},
                       {"void", p.isVoid},
                       {"stars", p.stars}});
    }
    return out;
}

}  // namespace hj::cli
