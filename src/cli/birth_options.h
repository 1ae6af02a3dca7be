#pragma once
// The options of one birth (--name, --date, --time, --lunar, --leap, --female, the place and
// the zone), shared by the chart command and by match, whose two births take them with a prefix
// (--a-date, --b-date …). The options, their help and their messages are written once here.
#include <CLI/CLI.hpp>

#include <string>

#include "cli/commands.h"
#include "cli/place_options.h"
#include "core/chart/chart.h"
#include "core/places/province_table.h"

namespace hj::cli {

// The data folder: --data-dir / $HENGJIAN_HOME, else the folder of the executable.
std::string dataFolder(const Context& ctx);

struct BirthOptions {
    std::string prefix;  // "" or "a-", "b-": the options are --<prefix>date …
    std::string name = "某人", date, time, place;
    bool lunar = false, leap = false, female = false;
    int province = ProvinceTable::kUnknown, city = 0;
    double lon = 120.0, lat = 30.0;
    AbroadOptions abroad;
    // Set by addBirthOptions; read after parsing to tell given options from defaults.
    CLI::Option* dateOption = nullptr;
    CLI::Option* timeOption = nullptr;
    CLI::Option* provinceOption = nullptr;
    CLI::Option* lonOption = nullptr;
    CLI::Option* latOption = nullptr;

    // "--<prefix>key", for messages.
    std::string flag(const std::string& key) const { return "--" + prefix + key; }
    bool given(const CLI::Option* o) const { return o && o->count() > 0; }
};

// Adds the options to `command` in the order the chart command lists them: name, date, time,
// calendar, sex, province and city, coordinates and place text, zone.
void addBirthOptions(CLI::App& command, BirthOptions& o);

// The request of the birth the options give (name and place keep their characters under
// --traditional). With `anyHour` a missing --time stands for noon (a table of every hour
// follows). False with a message.
bool birthRequest(const BirthOptions& o, const std::string& dataDir, bool anyHour, ChartRequest& q, std::string& error);

}  // namespace hj::cli
