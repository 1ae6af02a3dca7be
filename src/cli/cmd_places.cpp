// Places of the world for births abroad: the list (with a search) and the user's own places.
#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/commands.h"
#include "cli/output.h"
#include "core/zones/world_places.h"

namespace hj::cli {
namespace {

struct PlacesOptions {
    bool world = false;
    std::string text, add, remove, tz;
    double lon = 0, lat = 0;
};

// One place a line: 城市, 国家 (自定义 for the user's own), English city, zone, longitude, latitude.
int runPlaces(const PlacesOptions& o, const Context& ctx) {
    const std::string dataDir = dataFolderOf(ctx);
    std::string error;
    if (!o.add.empty()) {
        zones::WorldPlace p;
        p.city = o.add;
        p.zone = o.tz;
        p.longitude = static_cast<float>(o.lon);
        p.latitude = static_cast<float>(o.lat);
        return zones::saveUserPlace(dataDir, p, error) ? 0 : fail(error);
    }
    if (!o.remove.empty()) return zones::removeUserPlace(dataDir, o.remove, error) ? 0 : fail(error);
    if (!o.world) return fail("places needs --world [TEXT], --world-add NAME or --world-remove NAME");
    std::vector<zones::WorldPlace> user;
    if (!zones::loadUserPlaces(dataDir, user, error)) return fail(error);
    std::string out;
    for (const zones::WorldPlace& p : zones::findWorldPlaces(user, o.text)) {
        char coords[64];
        std::snprintf(coords, sizeof coords, "%.4f\t%.4f", static_cast<double>(p.longitude),
                      static_cast<double>(p.latitude));
        out += p.city + '\t' + (p.user ? std::string("自定义") : p.country) + '\t' + p.englishCity + '\t' + p.zone +
               '\t' + coords + '\n';
    }
    writeOut(out);
    return 0;
}

void setup(CLI::App& app, Context& ctx) {
    static PlacesOptions po;
    auto* places = app.add_subcommand("places", "World places for births abroad, and the user's own places");
    places->add_flag("--world", po.world, "List the world places holding TEXT (Chinese or English city, country, zone)");
    places->add_option("TEXT", po.text, "Text to look for (empty: every place)");
    auto* add = places->add_option("--world-add", po.add, "Add or replace a place of your own (with --tz, --lon, --lat)");
    places->add_option("--world-remove", po.remove, "Remove a place of your own");
    places->add_option("--tz", po.tz, "Time zone of the place (America/New_York)")->needs(add);
    places->add_option("--lon", po.lon, "Longitude, degrees east")->check(CLI::Range(-180.0, 180.0))->needs(add);
    places->add_option("--lat", po.lat, "Latitude, degrees north")->check(CLI::Range(-90.0, 90.0))->needs(add);
    places->callback([&ctx] { ctx.exitCode = runPlaces(po, ctx); });
}

const CommandRegistrar registrar(25, &setup);

}  // namespace
}  // namespace hj::cli
