#include "core/calendar/calendar_data.h"

#include <cstdlib>
#include <sstream>
#include <string_view>

#include "core/resources.h"

namespace hj::caldata {
namespace {

// Lines of an embedded text file without comments and blank lines.
std::vector<std::string> dataLines(std::string_view name) {
    std::vector<std::string> out;
    std::string_view text = embeddedResource(name);
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::size_t end = nl == std::string_view::npos ? text.size() : nl;
        std::string line(text.substr(pos, end - pos));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] != '#') out.push_back(std::move(line));
        pos = end + 1;
    }
    return out;
}

template <typename Term>
Term makeTerm(const double* v);
template <>
EarthTerm makeTerm<EarthTerm>(const double* v) { return {v[0], v[1], v[2]}; }
template <>
MoonTerm makeTerm<MoonTerm>(const double* v) { return {v[0], v[1], v[2], v[3], v[4], v[5]}; }

// Reads "[X<k>] <count>" headed blocks of numeric rows.
template <typename Term, std::size_t N, std::size_t Fields>
void readBlocks(std::string_view name, std::array<std::vector<Term>, N>& blocks) {
    int current = -1;
    for (const std::string& line : dataLines(name)) {
        if (line[0] == '[') {
            current = std::atoi(line.c_str() + 2);
            continue;
        }
        if (current < 0 || current >= static_cast<int>(N)) continue;
        std::istringstream in(line);
        double v[Fields] = {};
        for (std::size_t i = 0; i < Fields; ++i) in >> v[i];
        blocks[static_cast<std::size_t>(current)].push_back(makeTerm<Term>(v));
    }
}

std::vector<std::string> splitCsv(const std::string& line) {
    std::vector<std::string> out(1);
    for (char c : line) {
        if (c == ',') out.emplace_back();
        else out.back() += c;
    }
    return out;
}

std::string correctionsOf(std::string_view name) {
    std::string compressed;
    for (const std::string& line : dataLines(name)) compressed += line;
    return expandCorrections(compressed);
}

}  // namespace

std::string expandCorrections(const std::string& compressed) {
    std::string out;
    out.reserve(compressed.size() * 8);
    for (char c : compressed) {
        switch (c) {
            case 'J': out += "00"; break;
            case 'I': out += "000"; break;
            case 'H': out += "0000"; break;
            case 'G': out += "00000"; break;
            case 't': out += "02"; break;
            case 's': out += "002"; break;
            case 'r': out += "0002"; break;
            case 'q': out += "00002"; break;
            case 'p': out += "000002"; break;
            case 'o': out += "0000002"; break;
            case 'n': out += "00000002"; break;
            case 'm': out += "000000002"; break;
            case 'l': out += "0000000002"; break;
            case 'k': out += "01"; break;
            case 'j': out += "0101"; break;
            case 'i': out += "001"; break;
            case 'h': out += "001001"; break;
            case 'g': out += "0001"; break;
            case 'f': out += "00001"; break;
            case 'e': out += "000001"; break;
            case 'd': out += "0000001"; break;
            case 'c': out += "00000001"; break;
            case 'b': out += "000000001"; break;
            case 'a': out += "0000000001"; break;
            case 'A': out.append(60, '0'); break;
            case 'B': out.append(50, '0'); break;
            case 'C': out.append(40, '0'); break;
            case 'D': out.append(30, '0'); break;
            case 'E': out.append(20, '0'); break;
            case 'F': out.append(10, '0'); break;
            default:
                if (c >= '0' && c <= '9') out += c;  // digits stand for themselves
                break;
        }
    }
    return out;
}

const Series& series() {
    static const Series s = [] {
        Series r;
        readBlocks<EarthTerm, 6, 3>("data/earth_longitude_series.txt", r.earth);
        readBlocks<MoonTerm, 4, 6>("data/moon_longitude_series.txt", r.moon);
        return r;
    }();
    return s;
}

const std::vector<Era>& eras() {
    static const std::vector<Era> table = [] {
        std::vector<Era> r;
        for (const std::string& line : dataLines("data/era_table.csv")) {
            std::vector<std::string> f = splitCsv(line);
            if (f.size() != 7) continue;
            r.push_back({std::atoi(f[0].c_str()), std::atoi(f[1].c_str()), std::atoi(f[2].c_str()), f[3], f[4], f[5], f[6]});
        }
        return r;
    }();
    return table;
}

const std::string& newMoonCorrections() {
    static const std::string s = correctionsOf("data/newmoon_corrections.txt");
    return s;
}

const std::string& termCorrections() {
    static const std::string s = correctionsOf("data/term_corrections.txt");
    return s;
}

}  // namespace hj::caldata
