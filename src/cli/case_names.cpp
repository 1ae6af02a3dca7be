#include "cli/case_names.h"

#include "cli/commands.h"
#include "core/casestore/case_identity.h"

namespace hj::cli {

bool parseIndex(const std::string& text, int& index) {
    std::size_t used = 0;
    try {
        index = std::stoi(text, &used);
    } catch (...) {
        used = 0;
    }
    return used == text.size() && !text.empty() && index >= 0;
}

casestore::CaseRef caseNamed(casestore::CaseStore& store, const std::string& text, const std::string& idText,
                             const std::string& what) {
    casestore::CaseRef ref;
    std::uint64_t id = 0;
    if (!idText.empty() && !casestore::parseIdentity(idText, id)) {
        fail("--id takes an identity as cases list prints it (16 hex digits), not " + idText);
        return ref;
    }
    int index = -1;
    if (parseIndex(text, index)) return casestore::CaseRef{index, id};
    if (!casestore::parseIdentity(text, id) || !idText.empty()) {
        fail(what + " must be a record index (0, 1, 2, …) or an identity (16 hex digits), not " + text);
        return ref;
    }
    const int slot = store.findCase(id);
    if (slot < 0) fail(store.lastError().empty() ? "没有标识为 " + text + " 的命例" : store.lastError());
    return casestore::CaseRef{slot, id};
}

}  // namespace hj::cli
