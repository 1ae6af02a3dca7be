#pragma once
// Fixtures shared by the chart and three-lives tests: a numbered text table whose texts name
// their own id, so a report shows exactly which text each rule picked.
#include <string>

#include "core/chart/text_table.h"

namespace hj::fixtures {

// Text n reads "T<n>"; the hour texts 1260..1271 read "H<n>a*H<n>b*H<n>c".
inline const TextTable& idTextTable() {
    static const TextTable table = [] {
        std::string tsv = "# fixture\n";
        auto add = [&tsv](int from, int to) {
            for (int id = from; id <= to; ++id) tsv += std::to_string(id) + "\tT" + std::to_string(id) + "\n";
        };
        add(1100, 1159);
        add(1201, 1212);
        add(1221, 1250);
        for (int id = 1260; id <= 1271; ++id) {
            std::string h = "H" + std::to_string(id);
            tsv += std::to_string(id) + "\t" + h + "a*" + h + "b*" + h + "c\n";
        }
        add(7031, 7081);
        add(8001, 8051);
        add(10001, 10541);
        return TextTable::fromTsv(tsv);
    }();
    return table;
}

}  // namespace hj::fixtures
