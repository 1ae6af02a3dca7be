#include "core/text/data_folder.h"

#include <cerrno>

#include <filesystem>
#include <string>
#include <system_error>

#include "core/platform/platform.h"
#include "core/text/file_io.h"

namespace hj::text {
namespace fs = std::filesystem;

namespace {
std::string withoutTrailingSlash(std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}
}  // namespace

DataFolderInputs systemDataFolderInputs() {
    DataFolderInputs in;
    in.envHome = platform::environment("HENGJIAN_HOME");
    in.programDir = platform::programFolder();
    in.userDataHome = platform::userDataFolder();
    in.userDataName = platform::userDataFolderName();
    return in;
}

bool folderIsWritable(const std::string& dir) {
    std::error_code ec;
    fs::path p = fs::absolute(dir.empty() ? fs::path(".") : platform::pathOf(dir), ec);
    if (ec) return false;
    while (!fs::exists(p, ec)) {
        if (!p.has_parent_path() || p.parent_path() == p) return false;
        p = p.parent_path();
    }
    if (!fs::is_directory(p, ec)) return false;
    return platform::canWriteFolder(platform::utf8Of(p));
}

std::string chooseDataFolder(const DataFolderInputs& in) {
    if (!in.explicitDir.empty()) return withoutTrailingSlash(in.explicitDir);
    if (!in.envHome.empty()) return withoutTrailingSlash(in.envHome);
    const std::string prog = withoutTrailingSlash(in.programDir.empty() ? "." : in.programDir);
    // An existing dat/ must itself be writable, else settings and cases could not be saved.
    std::error_code ec;
    const std::string dat = prog + "/dat";
    // An installed copy (share/hengjian/dat-default beside bin/, no dat/ of its own) keeps its
    // data in the home folder even when bin/ is writable, as for root or an unpacked package.
    const bool installed = !fs::is_directory(platform::pathOf(dat), ec) &&
                           fs::is_directory(platform::pathOf(prog + "/../share/hengjian/dat-default"), ec);
    const bool useProgram =
        !installed && (fs::is_directory(platform::pathOf(dat), ec) ? folderIsWritable(dat) : folderIsWritable(prog));
    if (useProgram) return prog;
    if (!in.userDataHome.empty()) {
        const std::string base = withoutTrailingSlash(in.userDataHome);
        const std::string named = base + "/" + (in.userDataName.empty() ? std::string("hengjian") : in.userDataName);
        // Cases kept under the earlier name stay where they are until the new folder exists.
        const std::string earlier = base + "/hengjian";
        if (named != earlier && !fs::exists(platform::pathOf(named), ec) &&
            fs::is_directory(platform::pathOf(earlier + "/dat"), ec))
            return earlier;
        return named;
    }
    std::string base = in.xdgDataHome;
    if (base.empty()) base = (in.home.empty() ? std::string(".") : withoutTrailingSlash(in.home)) + "/.local/share";
    return withoutTrailingSlash(base) + "/hengjian";
}

std::string defaultDataFolder(const std::string& programDir) {
    std::error_code ec;
    const fs::path prog = platform::pathOf(programDir.empty() ? "." : programDir);
    for (const fs::path& cand : {prog / "dat-default", prog / ".." / "share" / "hengjian" / "dat-default"}) {
        if (fs::is_directory(cand, ec)) return platform::utf8Of(fs::weakly_canonical(cand, ec));
    }
    return {};
}

bool prepareDataFolder(const std::string& root, const std::string& defaultsDir, std::string* error) {
    std::error_code ec;
    const fs::path r = platform::pathOf(root);
    for (const fs::path& d : {r, r / "dat", r / "bazi_f"}) {
        fs::create_directories(d, ec);
        if (ec || !fs::is_directory(d)) {
            if (error) *error = "无法创建文件夹 " + platform::utf8Of(d) + (ec ? "：" + text::reasonOf(ec.value()) : std::string());
            return false;
        }
    }
    if (defaultsDir.empty() || !fs::is_directory(platform::pathOf(defaultsDir), ec)) return true;
    std::error_code iterEc;
    for (const auto& entry : fs::directory_iterator(platform::pathOf(defaultsDir), iterEc)) {
        if (!entry.is_regular_file(ec)) continue;
        const fs::path target = r / "dat" / entry.path().filename();
        if (fs::exists(target, ec) || ec) continue;
        // Copy to a temporary name of this process first, so that an interrupted copy never
        // looks like data, then link it in without replacing: several programs may seed a new
        // folder at once, and a file that appeared meanwhile is kept.
        const std::string tmp = platform::utf8Of(target) + ".tmp-seed-" + std::to_string(platform::processId());
        fs::copy_file(entry.path(), platform::pathOf(tmp), fs::copy_options::overwrite_existing, ec);
        const bool linked = !ec && (platform::renameNoReplace(tmp, platform::utf8Of(target)) || errno == EEXIST);
        std::error_code ignored;
        fs::remove(platform::pathOf(tmp), ignored);
        if (!linked) {
            if (error) *error = "无法复制默认数据文件 " + platform::utf8Of(entry.path().filename());
            return false;
        }
    }
    if (iterEc) {
        if (error) *error = "无法读取默认数据文件夹 " + defaultsDir + "：" + text::reasonOf(iterEc.value());
        return false;
    }
    return true;
}

}  // namespace hj::text
