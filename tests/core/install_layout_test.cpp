// Where an installed copy keeps its data and finds its defaults: bin/ beside
// share/hengjian/dat-default, as `cmake --install` and the package lay it out.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/text/data_folder.h"

namespace fs = std::filesystem;
using hj::text::chooseDataFolder;
using hj::text::DataFolderInputs;
using hj::text::defaultDataFolder;
using hj::text::prepareDataFolder;

namespace {

fs::path freshDir(const std::string& name) {
    const fs::path p = fs::temp_directory_path() / ("hj_install_layout_" + name + "_" + std::to_string(::getpid()));
    fs::remove_all(p);
    fs::create_directories(p);
    return p;
}

void writeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

}  // namespace

// The layouts a program folder can have, and the folder each one picks; the program folders
// are writable here, as they are for root or for a package unpacked into a home folder.
TEST(InstallLayout, DataFolderOfEachLayout) {
    struct Case {
        const char* what;
        bool sharedDefaults;  // ../share/hengjian/dat-default exists
        bool ownDat;          // dat/ beside the program
        bool besideDefaults;  // dat-default/ beside the program (a build tree)
        bool usesProgram;
    };
    const Case cases[] = {
        {"installed copy", true, false, false, false},
        {"installed copy with a portable dat/ beside it", true, true, false, true},
        {"build tree", false, false, true, true},
        {"portable folder", false, true, false, true},
        {"bare program", false, false, false, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        const fs::path base = freshDir("layout" + std::to_string(n++));
        const fs::path bin = base / "usr" / "bin";
        fs::create_directories(bin);
        if (c.sharedDefaults) fs::create_directories(base / "usr/share/hengjian/dat-default");
        if (c.ownDat) fs::create_directories(bin / "dat");
        if (c.besideDefaults) fs::create_directories(bin / "dat-default");
        DataFolderInputs in;
        in.programDir = bin.string();
        in.home = (base / "home").string();
        const std::string expected = c.usesProgram ? bin.string() : (base / "home/.local/share/hengjian").string();
        EXPECT_EQ(chooseDataFolder(in), expected) << c.what;
        in.xdgDataHome = (base / "xdg").string();
        if (!c.usesProgram) {
            EXPECT_EQ(chooseDataFolder(in), (base / "xdg/hengjian").string()) << c.what;
        }
        // An explicit folder always wins.
        in.explicitDir = (base / "mine").string();
        EXPECT_EQ(chooseDataFolder(in), in.explicitDir) << c.what;
        fs::remove_all(base);
    }
}

// The per-user folder under the system's one: named for the user on Windows, with a folder of
// the earlier name kept while it is the only one holding data.
TEST(InstallLayout, PerUserFolderName) {
    struct Case {
        const char* what;
        const char* name;
        bool earlierDat;  // <base>/hengjian/dat exists
        bool named;       // <base>/<name> exists
        const char* expected;
    };
    const Case cases[] = {
        {"fresh, named folder", "衡鉴", false, false, "衡鉴"},
        {"earlier folder with data", "衡鉴", true, false, "hengjian"},
        {"both: the named one wins", "衡鉴", true, true, "衡鉴"},
        {"POSIX name", "hengjian", true, false, "hengjian"},
        {"empty name falls back", "", false, false, "hengjian"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const fs::path base = freshDir("peruser" + std::to_string(n++));
        const fs::path bin = base / "app" / "bin";
        fs::create_directories(bin);
        fs::create_directories(base / "app/share/hengjian/dat-default");  // installed: not the program folder
        const fs::path roaming = base / "roaming";
        fs::create_directories(roaming);
        if (c.earlierDat) fs::create_directories(roaming / "hengjian" / "dat");
        if (c.named) fs::create_directories(roaming / fs::u8path(c.name));
        DataFolderInputs in;
        in.programDir = bin.string();
        in.userDataHome = roaming.string();
        in.userDataName = c.name;
        EXPECT_EQ(chooseDataFolder(in), roaming.string() + "/" + c.expected) << c.what;
        fs::remove_all(base);
    }
}

// First start of an installed copy: the home data folder is created and seeded from the
// installed defaults; a second start keeps what the user changed.
TEST(InstallLayout, FirstStartSeedsFromInstalledDefaults) {
    const fs::path base = freshDir("seed");
    const fs::path bin = base / "usr" / "bin";
    const fs::path defaults = base / "usr/share/hengjian/dat-default";
    fs::create_directories(bin);
    fs::create_directories(defaults);
    writeFile(defaults / "dili.ini", "[p]\r\nc=116:25*39:54\r\n");
    writeFile(defaults / "EndInfo.txt", "footer\r\n");

    DataFolderInputs in;
    in.programDir = bin.string();
    in.home = (base / "home").string();
    const std::string root = chooseDataFolder(in);
    ASSERT_EQ(root, (base / "home/.local/share/hengjian").string());
    const std::string found = defaultDataFolder(in.programDir);
    ASSERT_EQ(found, fs::weakly_canonical(defaults).string());

    std::string error;
    ASSERT_TRUE(prepareDataFolder(root, found, &error)) << error;
    EXPECT_TRUE(fs::is_regular_file(fs::path(root) / "dat/dili.ini"));
    EXPECT_TRUE(fs::is_directory(fs::path(root) / "bazi_f"));
    EXPECT_FALSE(fs::exists(bin / "dat"));  // nothing written beside the installed program

    writeFile(fs::path(root) / "dat/EndInfo.txt", "changed");
    ASSERT_TRUE(prepareDataFolder(root, found, &error)) << error;
    std::ifstream f(fs::path(root) / "dat/EndInfo.txt", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "changed");
    f.close();  // Windows removes no file that is open
    fs::remove_all(base);
}
