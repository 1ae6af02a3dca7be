#pragma once
// The chart command's analysis options (--analysis, --luck, --year, --month) and their output: a text
// block after the report, or an `analysis` member of the JSON object.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <string>

#include "core/chart/chart.h"

namespace hj::cli {

struct AnalysisRequest {
    bool on = false;
    int luck = 0;  // 1..8, 0 none
    int year = 0;
    bool withYear = false;
    int month = 0;  // 1..12 (寅 … 丑 of the year), 0 none
    int tiaohou = 1;  // judgement::TiaohouRule
};

// Adds the options to the chart command; `withYear` is filled by applyAnalysisOptions.
void addAnalysisOptions(CLI::App* chart, AnalysisRequest& a);
void applyAnalysisOptions(AnalysisRequest& a);

// After a successful chart with its report text: the JSON member and the text block to follow
// the report ("" when not asked for). False with a message.
bool analysisOutput(const Chart& r, const std::string& report, const AnalysisRequest& a, nlohmann::json& json,
                    std::string& text, std::string& error);

}  // namespace hj::cli
