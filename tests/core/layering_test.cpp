// The engine's folders include each other only in the order src/core/README.md gives: a file
// includes its own folder, the files at the top of src/core and the folders its folder's line
// names. The README is the one place that order is written; this test reads it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Layers {
    std::vector<std::string> order;                       // folders, bottom first
    std::map<std::string, std::set<std::string>> allowed;  // folder → the folders it may include
};

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '.'))
        s.remove_suffix(1);
    return s;
}

// The folder lines of the README: "- `name` — what it holds. Includes: a, b." ("nothing" for
// none). False with `error` for a line naming a folder not listed above it, a folder listed
// twice or a line without its list.
bool readLayers(std::string_view readme, Layers& out, std::string& error) {
    out = Layers{};
    while (!readme.empty()) {
        const std::size_t end = readme.find('\n');
        const std::string_view line = readme.substr(0, end);
        readme.remove_prefix(end == std::string_view::npos ? readme.size() : end + 1);
        if (line.substr(0, 3) != "- `") continue;
        const std::size_t close = line.find('`', 3);
        const std::string name(line.substr(3, close - 3));
        const std::size_t list = line.rfind("Includes:");
        if (close == std::string_view::npos || list == std::string_view::npos) {
            error = "a folder line without its list: " + std::string(line);
            return false;
        }
        if (out.allowed.count(name)) {
            error = "`" + name + "` has two lines";
            return false;
        }
        std::set<std::string> deps;
        std::string_view rest = trim(line.substr(list + 9));
        while (rest != "nothing" && !rest.empty()) {
            const std::size_t comma = rest.find(',');
            const std::string dep(trim(rest.substr(0, comma)));
            if (!out.allowed.count(dep)) {
                error = "`" + name + "` names `" + dep + "`, which has no line above it";
                return false;
            }
            deps.insert(dep);
            rest = comma == std::string_view::npos ? std::string_view() : trim(rest.substr(comma + 1));
        }
        out.order.push_back(name);
        out.allowed[name] = deps;
    }
    if (out.order.empty()) error = "no folder lines";
    return !out.order.empty();
}

// What is wrong with the includes of a file of `folder` ("" for a file at the top of src/core).
std::vector<std::string> includeFaults(const Layers& layers, const std::string& folder, std::string_view text) {
    std::vector<std::string> faults;
    const auto allowed = layers.allowed.find(folder);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.substr(0, 1) != "#") continue;
        line = trim(line.substr(1));
        if (line.substr(0, 7) != "include") continue;
        line = trim(line.substr(7));
        if (line.substr(0, 1) == "<") {
            if (line.substr(1, 1) == "Q") faults.push_back("a Qt header: " + std::string(line));
            continue;
        }
        const std::size_t close = line.find('"', 1);
        const std::string target(line.substr(1, close == std::string_view::npos ? close : close - 1));
        if (target.rfind("core/", 0) != 0) {
            faults.push_back("\"" + target + "\" is not an engine header named by its core/ path");
            continue;
        }
        const std::size_t slash = target.find('/', 5);
        if (slash == std::string::npos) continue;  // resources.h, version.h
        const std::string dep = target.substr(5, slash - 5);
        if (dep == folder) continue;
        if (allowed != layers.allowed.end() && allowed->second.count(dep)) continue;
        faults.push_back("\"" + target + "\" is against the order of the folders");
    }
    return faults;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const fs::path kCore = fs::path(HJ_SOURCE_DIR) / "src" / "core";

Layers engineLayers() {
    Layers layers;
    std::string error;
    EXPECT_TRUE(readLayers(readFile(kCore / "README.md"), layers, error)) << error;
    return layers;
}

}  // namespace

TEST(Layering, EveryIncludeFollowsTheOrder) {
    const Layers layers = engineLayers();
    int files = 0;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(kCore)) {
        const std::string ext = e.path().extension().string();
        if (!e.is_regular_file() || (ext != ".h" && ext != ".cpp" && ext != ".in")) continue;
        const fs::path relative = fs::relative(e.path(), kCore);
        const std::string folder = relative.has_parent_path() ? relative.begin()->string() : std::string();
        for (const std::string& fault : includeFaults(layers, folder, readFile(e.path())))
            ADD_FAILURE() << "src/core/" << relative.string() << ": " << fault;
        ++files;
    }
    EXPECT_GT(files, 100);
}

TEST(Layering, EveryFolderHasItsLine) {
    const Layers layers = engineLayers();
    std::set<std::string> onDisk;
    for (const fs::directory_entry& e : fs::directory_iterator(kCore))
        if (e.is_directory()) onDisk.insert(e.path().filename().string());
    EXPECT_EQ(onDisk, std::set<std::string>(layers.order.begin(), layers.order.end()));
}

namespace {

// The system headers that differ between POSIX and Windows, included by a line of `text`;
// the platform layer (src/core/platform) is the one place allowed them.
std::vector<std::string> systemHeaderFaults(std::string_view text) {
    static constexpr std::string_view kSystem[] = {"unistd.h", "fcntl.h", "sys/file.h", "sys/stat.h", "sys/types.h",
                                                   "dirent.h", "windows.h", "io.h", "shlobj.h", "shellapi.h"};
    std::vector<std::string> faults;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.substr(0, 1) != "#") continue;
        line = trim(line.substr(1));
        if (line.substr(0, 7) != "include") continue;
        line = trim(line.substr(7));
        if (line.size() < 3 || line.front() != '<') continue;
        const std::string_view header = line.substr(1, line.find('>') - 1);
        for (std::string_view s : kSystem)
            if (header == s) faults.push_back("a system header outside the platform layer: <" + std::string(header) + ">");
    }
    return faults;
}

}  // namespace

TEST(Layering, OnlyThePlatformLayerIncludesSystemHeaders) {
    const fs::path src = fs::path(HJ_SOURCE_DIR) / "src";
    const fs::path platform = kCore / "platform";
    int files = 0;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(src)) {
        const std::string ext = e.path().extension().string();
        if (!e.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
        if (e.path().parent_path() == platform) continue;
        for (const std::string& fault : systemHeaderFaults(readFile(e.path())))
            ADD_FAILURE() << fs::relative(e.path(), src).string() << ": " << fault;
        ++files;
    }
    EXPECT_GT(files, 150);
    // The check itself.
    EXPECT_EQ(systemHeaderFaults("#include <unistd.h>\n").size(), 1u);
    EXPECT_EQ(systemHeaderFaults("  #  include <windows.h>\n#include <sys/file.h>\n").size(), 2u);
    EXPECT_TRUE(systemHeaderFaults("#include <string>\n#include \"core/text/unistd.h\"\n").empty());
}

// The check itself: what it lets through and what it stops.
TEST(Layering, TheCheckStopsWhatGoesAgainstTheOrder) {
    Layers layers;
    std::string error;
    ASSERT_TRUE(readLayers("# t\n- `low` — a. Includes: nothing.\n- `mid` — b. Includes: low.\n"
                           "- `top` — c, d. Includes: low, mid.\n",
                           layers, error))
        << error;
    EXPECT_EQ(layers.order, (std::vector<std::string>{"low", "mid", "top"}));
    struct Case {
        const char* what;
        const char* folder;
        const char* line;
        bool ok;
    };
    const Case cases[] = {
        {"its own folder", "mid", "#include \"core/mid/a.h\"", true},
        {"a folder it names", "top", "#include \"core/low/a.h\"", true},
        {"a file at the top", "low", "#include \"core/resources.h\"", true},
        {"a standard header", "low", "#include <string>", true},
        {"a folder above it", "mid", "#include \"core/top/a.h\"", false},
        {"a folder below it that it does not name", "low", "#include \"core/mid/a.h\"", false},
        {"a folder without a line", "top", "#include \"core/gone/a.h\"", false},
        {"the command line", "top", "#include \"cli/output.h\"", false},
        {"a relative path", "mid", "#include \"../low/a.h\"", false},
        {"a window header", "top", "#include <QString>", false},
        {"blanks around the hash", "mid", "  #  include \"core/top/a.h\"", false},
        {"a file at the top including a folder", "", "#include \"core/low/a.h\"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(includeFaults(layers, c.folder, c.line).empty(), c.ok) << c.what;

    // A README that is no order is refused.
    struct Bad {
        const char* what;
        const char* readme;
    };
    const Bad bad[] = {
        {"a line naming a folder below it", "- `a` — x. Includes: b.\n- `b` — y. Includes: nothing.\n"},
        {"a folder naming itself", "- `a` — x. Includes: a.\n"},
        {"a folder twice", "- `a` — x. Includes: nothing.\n- `a` — y. Includes: nothing.\n"},
        {"a line without its list", "- `a` — x.\n"},
        {"no folder lines", "# nothing here\n"},
    };
    for (const Bad& b : bad) {
        error.clear();
        EXPECT_FALSE(readLayers(b.readme, layers, error)) << b.what;
        EXPECT_FALSE(error.empty()) << b.what;
    }
}
