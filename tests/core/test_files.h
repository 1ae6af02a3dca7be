#pragma once
// Whole files in and out for the engine tests: bytes exactly as they are, no conversion.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace hjtest {

inline std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace hjtest
