#include "cli/chart_picture.h"

#include <cstdio>
#include <optional>

#include "core/card/card_layout.h"
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

bool writeFile(const std::string& path, std::string_view bytes, std::string& error) {
    std::string why;
    if (text::writeFileAtomically(path, bytes, &why)) return true;
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
    chart->add_option("--svg", o.svg, "Write the chart as a picture (命盘) to FILE, in SVG, instead of printing the report")->type_name("FILE");
    chart->add_option("--png", o.png, "Write the chart as a picture (命盘) to FILE, in PNG, instead of printing the report")->type_name("FILE");
    chart->add_option("--scale", o.scale, "Size of the picture: N times 540 pixels wide (default 2)")
        ->check(CLI::Range(1, 8));
}

bool writePictures(const Chart& chart, const card::CardChoice& choice, const PictureOptions& o, std::string& error) {
    if (!o.png.empty() && !kCanPng) {  // before any file is written
        error = kNoPng;
        return false;
    }
    const card::Drawing drawing = card::layoutChartCard(card::buildChartCard(chart, choice));
    if (!o.svg.empty() && !writeFile(o.svg, card::writeSvg(drawing, o.scale), error)) return false;
    return o.png.empty() || writePng(drawing, o, error);
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
