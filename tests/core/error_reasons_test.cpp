// Failures of the file system are reported with the Chinese reason, never the system's
// English text.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/platform/platform.h"
#include "core/text/data_folder.h"
#include "core/text/file_io.h"
#include "core/text/ini.h"

namespace {

namespace fs = std::filesystem;

struct Scratch {
    fs::path dir;
    Scratch() {
        static int serial = 0;
        dir = fs::temp_directory_path() /
              ("hj-reasons-" + std::to_string(hj::platform::processId()) + "-" + std::to_string(serial++));
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::ofstream(dir / "afile") << "x";
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

// The text after the message's last "：".
std::string reasonPart(const std::string& message) {
    const std::string sep = "：";
    const std::size_t at = message.rfind(sep);
    return at == std::string::npos ? std::string() : message.substr(at + sep.size());
}

TEST(ErrorReasons, FileSystemFailuresSpeakChinese) {
    Scratch s;
    const struct {
        const char* what;
        std::string path;
        int err;
    } cases[] = {
        {"missing folder", (s.dir / "missing" / "bzinit.ini").string(), ENOENT},
        {"a file in the path", (s.dir / "afile" / "dili.ini").string(), ENOTDIR},
        {"a folder in the way", s.dir.string(), EISDIR},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(hj::text::writeFileAtomically(c.path, "[a]\r\nb=1\r\n", &error)) << c.what;
        EXPECT_EQ(reasonPart(error), hj::text::reasonOf(c.err)) << c.what << ": " << error;
    }
    std::string error;
    EXPECT_FALSE(hj::text::prepareDataFolder((s.dir / "afile" / "data").string(), s.dir.string(), &error));
    EXPECT_EQ(reasonPart(error), hj::text::reasonOf(ENOTDIR)) << error;
}

}  // namespace
