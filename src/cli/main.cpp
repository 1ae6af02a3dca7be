// hengjian-cli: the engine of 衡鉴 on the command line, for scripting, batch work and checks.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <utility>
#include <vector>

#include "cli/commands.h"

namespace hj::cli {
namespace {
std::vector<std::pair<int, CommandSetup>>& registry() {
    static std::vector<std::pair<int, CommandSetup>> r;
    return r;
}
}  // namespace

CommandRegistrar::CommandRegistrar(int order, CommandSetup setup) { registry().emplace_back(order, setup); }

int fail(const std::string& message) {
    std::fprintf(stderr, "hengjian-cli: %s\n", message.c_str());
    return 1;
}

}  // namespace hj::cli

int main(int argc, char** argv) {
    using namespace hj::cli;
    CLI::App app{"衡鉴 2.1 — four pillars and three-lives readings on the command line", "hengjian-cli"};
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Print help for every command");
    Context ctx;
    if (const char* home = std::getenv("HENGJIAN_HOME")) ctx.dataDir = home;
    app.add_option("--data-dir", ctx.dataDir, "Folder holding dat/ and bazi_f/ (default: beside the program)");

    auto& reg = registry();
    std::stable_sort(reg.begin(), reg.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [order, setup] : reg) setup(app, ctx);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);  // prints the message to stderr
        return 1;
    }
    std::fflush(stdout);
    return ctx.exitCode;
}
