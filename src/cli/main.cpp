// hengjian-cli: the engine of 衡鉴 on the command line, for scripting, batch work and checks.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <new>
#include <sstream>
#include <regex>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "cli/commands.h"
#include "cli/traditional_output.h"
#include "cli/output.h"
#include "core/platform/platform.h"
#include "core/text/data_folder.h"
#include "core/version.h"
#include "core/zones/zone_rules.h"

namespace hj::cli {
namespace {
std::vector<std::pair<int, CommandSetup>>& registry() {
    static std::vector<std::pair<int, CommandSetup>> r;
    return r;
}
}  // namespace

CommandRegistrar::CommandRegistrar(int order, CommandSetup setup) { registry().emplace_back(order, setup); }

std::string programFolder() {
    const std::string dir = platform::programFolder();
    return dir.empty() ? std::string(".") : dir;
}

std::string dataFolderOf(const Context& ctx) { return ctx.dataDir.empty() ? programFolder() : ctx.dataDir; }

int fail(const std::string& message) {
    const std::string shown = traditionalOutputOn() ? traditionalLine(message) : message;
    std::fprintf(stderr, "hengjian-cli: %s\n", shown.c_str());
    return 1;
}

namespace {
// With no --data-dir or HENGJIAN_HOME the commands use the program folder; an installed copy
// uses the home data folder instead. Whichever folder it is, a new one is seeded with the
// default data files as the desktop program does, so that places and settings are there. A
// folder that cannot be prepared is reported, and kept in ctx.dataError when it has no dat/:
// most commands need no data files, but the case store lives there.
void resolveDataFolder(Context& ctx) {
    text::DataFolderInputs in = text::systemDataFolderInputs();
    in.explicitDir = ctx.dataDir;
    in.envHome.clear();  // already in ctx.dataDir unless --data-dir replaced it
    in.programDir = programFolder();
    const std::string root = text::chooseDataFolder(in);
    if (root != in.programDir) ctx.dataDir = root;
    std::string error;
    if (!text::prepareDataFolder(root, text::defaultDataFolder(in.programDir), &error)) {
        fail(error);
        // A folder that exists but lacks a default file (read-only, say) still holds its cases.
        if (platform::kindOf(root + "/dat") != platform::Kind::Folder) ctx.dataError = error;
    }
}

// Help and version texts go through the one writer of standard output like any other.
int exitThroughWriter(const CLI::App& app, const CLI::Error& e) {
    std::ostringstream out;
    const int code = app.exit(e, out, std::cerr);
    writeOut(out.str());
    return code;
}

constexpr const char* kFooter = R"(Data folder: dat/ (settings, places, case records) and bazi_f/ (stored reports) live
beside the program; an installed copy, or one whose folder cannot be written, uses
$XDG_DATA_HOME/hengjian (default ~/.local/share/hengjian). --data-dir DIR or the
environment variable HENGJIAN_HOME choose another folder. A new data folder is seeded with
the default data files on first use.

Dates use astronomical year numbering (0000 is 1 BC, -0001 is 2 BC). Output is UTF-8,
one record a line, tab-separated; errors go to standard error with exit status 1.

Examples:
  hengjian-cli lunar 2024-02-10
  hengjian-cli pillars "1984-02-04 23:30"
  hengjian-cli chart --name 张三 --date 1990-05-17 --time 08:30 --lon 116.4 --lat 39.9 --place 北京
  hengjian-cli cases list

Run "hengjian-cli COMMAND --help" for the options of one command.)";
}  // namespace

}  // namespace hj::cli

namespace {

// The parser's own messages, in the program's words. A message of a form not known here is
// passed on as it is rather than lost.
std::string parserMessage(const std::string& what) {
    static const std::vector<std::pair<std::regex, std::string>> forms = {
        {std::regex(R"(^(\S+): Value (.+) not in range (\S+) to (\S+)$)"), "$1 的值 $2 超出范围：应在 $3 到 $4 之间"},
        {std::regex(R"(^Value (.+) not in range (\S+) to (\S+)$)"), "值 $1 超出范围：应在 $2 到 $3 之间"},
        {std::regex(R"(^(\S+) is required$)"), "缺少必需的选项 $1"},
        {std::regex(R"(^(\S+): (\d+) required (\S+) missing$)"), "$1 缺少参数"},
        {std::regex(R"(^The following arguments? (?:was|were) not expected: (.+)$)"), "无法识别的参数：$1"},
        {std::regex(R"(^(\S+): Could not convert: (.+)$)"), "$1 的值无法识别：$2"},
        {std::regex(R"(^Could not convert: (.+)$)"), "无法识别的值：$1"},
        {std::regex(R"(^(\S+): (\S+) excludes (\S+)$)"), "$2 不能和 $3 一起用"},
        {std::regex(R"(^(\S+) excludes (\S+)$)"), "$1 不能和 $2 一起用"},
        {std::regex(R"(^(\S+) requires (\S+)$)"), "$1 需要和 $2 一起用"},
        {std::regex(R"(^(\S+): Expected (?:at least |at most )?(\d+) arguments?(?:, got (\d+))?.*$)"), "$1 的参数个数不对"},
        {std::regex(R"(^A subcommand is required$)"), "需要一个命令"},
        {std::regex(R"(^Requires at most (\d+) subcommands?.*$)"), "只能给一个命令"},
    };
    for (const auto& [form, chinese] : forms)
        if (std::regex_match(what, form)) return std::regex_replace(what, form, chinese);
    return what;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace hj::cli;
    // A standard stream the caller closed gets its number taken by the null device, so that no
    // file opened later (a store file, a lock) receives output meant for the terminal.
    hj::platform::reopenClosedStandardStreams();
    hj::platform::prepareStandardStreams();
    // Arguments as UTF-8 whatever the system's code page.
    const std::vector<std::string> args = hj::platform::utf8Arguments(argc, argv);
    CLI::App app{"衡鉴 2.1 — four pillars and three-lives readings on the command line", "hengjian-cli"};
    app.require_subcommand(1);
    // "/tmp/x" is a path, not an option, on Windows too.
    app.allow_windows_style_options(false);
    app.set_help_all_flag("--help-all", "Print help for every command");
    // The zone data is looked at only when asked for: no start-up pays for it.
    app.set_version_flag("--version", [] {
        return "hengjian-cli " HJ_VERSION "\nzone data: " + hj::zones::rules::dataText(hj::zones::rules::dataInfo());
    });
    Context ctx;
    ctx.dataDir = hj::platform::environment("HENGJIAN_HOME");
    app.add_option("--data-dir", ctx.dataDir,
                   "Folder holding dat/ and bazi_f/ (default: $HENGJIAN_HOME, else beside the program, else "
                   "~/.local/share/hengjian)")
        ->type_name("DIR")
        // An empty value would silently mean the program folder.
        ->check(CLI::Validator([](std::string& dir) { return dir.empty() ? std::string("数据文件夹不能为空") : std::string(); },
                               "DIR"));
    app.add_flag("--traditional", ctx.traditional, "Print everything in Traditional characters (繁體中文)");
    app.parse_complete_callback([&ctx, &app] {
        resolveDataFolder(ctx);
        // Without its data folder a cases command cannot work; the reason was told above.
        if (!ctx.dataError.empty() && app.got_subcommand("cases")) throw CLI::RuntimeError(1);
        if (ctx.traditional) startTraditionalOutput();
    });

    auto& reg = registry();
    std::stable_sort(reg.begin(), reg.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [order, setup] : reg) setup(app, ctx);
    app.footer(kFooter);  // after the commands, which would otherwise inherit it

    int code = 0;
    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend() - 1);  // CLI11 takes them last first
        app.parse(std::move(reversed));
        code = ctx.exitCode;
    } catch (const std::bad_alloc&) {
        code = fail("内存不足");
    } catch (const CLI::CallForHelp& e) {
        code = exitThroughWriter(app, e);
    } catch (const CLI::CallForAllHelp& e) {
        code = exitThroughWriter(app, e);
    } catch (const CLI::CallForVersion& e) {
        code = exitThroughWriter(app, e);
    } catch (const CLI::RuntimeError&) {
        code = 1;  // the reason was told where it arose
    } catch (const CLI::ParseError& e) {
        const std::string message = parserMessage(e.what()) + "\n用 --help 或 --help-all 查看用法。";
        std::fprintf(stderr, "%s\n", (traditionalOutputOn() ? traditionalLine(message) : message).c_str());
        code = 1;
    }
    // Whatever was printed must have reached its destination.
    std::string error;
    if (!finishOutput(error)) return fail(error);
    return code;
}
