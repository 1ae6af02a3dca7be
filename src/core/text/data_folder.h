#pragma once
// Where the program keeps its data: the folder holding dat/ and bazi_f/.
//
// By default that is the program folder (the executable's folder). --data-dir or HENGJIAN_HOME
// choose another one; when the program folder cannot be written (an installed copy) the data
// goes to $XDG_DATA_HOME/hengjian (default ~/.local/share/hengjian; on Windows %APPDATA%\衡鉴,
// or %APPDATA%\hengjian when only that one holds data); so does the data of an
// installed copy (bin/ beside share/hengjian/dat-default) that has no dat/ of its own. A fresh
// folder is seeded from the default data files shipped with the program.
#include <string>

namespace hj::text {

struct DataFolderInputs {
    std::string explicitDir;   // --data-dir, empty when not given
    std::string envHome;       // HENGJIAN_HOME, empty when unset
    std::string programDir;    // folder of the executable
    std::string xdgDataHome;   // XDG_DATA_HOME, empty when unset
    std::string home;          // HOME
    std::string userDataHome;  // the system's per-user data folder; replaces the two above when set
    std::string userDataName = "hengjian";  // the program's folder in it ("衡鉴" on Windows)
};

// The inputs the system gives (HENGJIAN_HOME, the program folder, the per-user data folder);
// explicitDir is left empty.
DataFolderInputs systemDataFolderInputs();

// The data folder to use (no trailing '/'); nothing is created.
std::string chooseDataFolder(const DataFolderInputs& in);

// True when files can be created in `dir` (an existing folder) or, when it does not exist yet,
// in the nearest existing parent.
bool folderIsWritable(const std::string& dir);

// The folder of default data files for a program in `programDir`: dat-default beside it (a
// build tree) or ../share/hengjian/dat-default (an installed copy); empty when neither exists.
std::string defaultDataFolder(const std::string& programDir);

// Creates root, root/dat and root/bazi_f when missing and copies every file of `defaultsDir`
// that dat/ lacks (existing files are never replaced). An empty `defaultsDir` copies nothing.
// False with a message in `error` when a folder cannot be created or a file not copied.
bool prepareDataFolder(const std::string& root, const std::string& defaultsDir, std::string* error);

}  // namespace hj::text
