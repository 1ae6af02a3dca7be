// The command line's date, date-time and year parsers: accepted input is in range and prints
// back to itself.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/calendar/date_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    hj::DateTime d;
    std::string error;
    if (hj::parseDate(text, d, error)) {
        if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31) std::abort();
        hj::DateTime again;
        if (!hj::parseDate(hj::formatDate(d), again, error) || !(again == d)) std::abort();
    }
    if (hj::parseDateTime(text, d, error)) {
        if (d.hour < 0 || d.hour > 23 || d.minute < 0 || d.minute > 59) std::abort();
        hj::DateTime again;
        if (!hj::parseDateTime(hj::formatDateTime(d), again, error) || !(again == d)) std::abort();
    }
    int year;
    (void)hj::parseYear(text, year, error);
    return 0;
}
