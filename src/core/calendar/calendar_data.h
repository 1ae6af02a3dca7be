#pragma once
// The calendar's compiled-in tables (resources/data), parsed once on first use.
#include <array>
#include <string>
#include <vector>

namespace hj::caldata {

// One term of the Earth series: amplitude (1e-10 rad), phase (rad), frequency (rad/millennium).
struct EarthTerm {
    double a, phi, omega;
};
// One term of the Moon series: amplitude (arcsec), phase, and the four rate coefficients.
struct MoonTerm {
    double a, phi, w1, w2, w3, w4;
};

struct Series {
    std::array<std::vector<EarthTerm>, 6> earth;  // L0..L5
    std::array<std::vector<MoonTerm>, 4> moon;    // P0..P3
};
const Series& series();

struct Era {
    int first = 0;   // first year, astronomical numbering
    int count = 0;   // number of years
    int offset = 0;  // added to the year number
    std::string dynasty, title, personalName, name;
};
const std::vector<Era>& eras();

// The correction strings, expanded: one of '0' '1' '2' per lunation / per solar term.
const std::string& newMoonCorrections();
const std::string& termCorrections();

// Expands the letter runs of a compressed correction string.
std::string expandCorrections(const std::string& compressed);

}  // namespace hj::caldata
