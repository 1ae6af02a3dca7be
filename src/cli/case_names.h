#pragma once
// A stored case named on the command line, as cases show, edit and remove and match's --a-case
// take it: a record index, or an identity as `cases list` prints it.
#include <string>

#include "core/casestore/case_store.h"

namespace hj::cli {

bool parseIndex(const std::string& text, int& index);

// A record index, or an identity (16 hex digits; found wherever it is). `idText` (--id) checks
// that the index still holds that case. The slot is -1 after a message when the text names no
// case; `what` names the argument in that message (CASE, --a-case).
casestore::CaseRef caseNamed(casestore::CaseStore& store, const std::string& text, const std::string& idText,
                             const std::string& what = "CASE");

}  // namespace hj::cli
