#pragma once
// This year by the local clock, for what a report counts from today (the yearly block's start).
#include <chrono>
#include <cstdint>
#include <ctime>

#include "core/platform/platform.h"

namespace hj::cli {

inline int thisYear() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    platform::CivilTime local;
    platform::localTime(static_cast<std::int64_t>(now), local);
    return local.year;
}

}  // namespace hj::cli
