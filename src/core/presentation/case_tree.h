#pragma once
// Rules of the case tree that need no window: the text of a case node, the class names and
// the class list kept in bzinit.ini under [classes].
#include <string>
#include <string_view>
#include <vector>

#include "core/casestore/case_store.h"

namespace hj::text {
class IniFile;
}

namespace hj::presentation {

// Pictures of the tree's image list.
inline constexpr int kImageFemale = 0;
inline constexpr int kImageMale = 1;
inline constexpr int kImageClass = 2;
inline constexpr int kImageRoot = 3;

inline constexpr std::size_t kClassNameMaxBytes = 12;  // six Chinese characters
// More entries than anyone keeps; a damaged count must not make the list endless.
inline constexpr int kClassListMax = 10000;
// What a missing key of the list reads as in the class chooser and the search dialog.
inline constexpr std::string_view kDefaultClass = "临时保存";

// "李四  公1990-5-12|7": name, "  农" or "  公", "闰" for a lunar leap month, the shown date,
// "|" and the record index.
std::string caseNodeText(const casestore::CaseRecord& r);
inline int caseNodeImage(const casestore::CaseRecord& r) { return r.male ? kImageMale : kImageFemale; }
// The integer after the last "|", -1 when there is none.
int caseIndexOfNodeText(std::string_view text);
// The text before the first blank: the person's name for messages.
std::string caseNameOfNodeText(std::string_view text);

// Class names compare without regard to letter case.
std::string classKey(std::string_view name);
inline bool sameClassName(std::string_view a, std::string_view b) { return classKey(a) == classKey(b); }
// A (trimmed) class name the tree and the list take: not empty nor only spaces of any width,
// no control characters, at most 12 GBK bytes, and every character has a GBK form.
bool classNameAcceptable(std::string_view name);

// The fields of a record about to be stored, whoever filled it: name and class with some text,
// no control characters in name, class, note and place, coordinates within range. False with
// a Chinese message in `error`.
bool checkCaseFields(const casestore::CaseRecord& r, std::string* error);

// The [classes] names 1..count in order; a missing key reads as `missing`.
std::vector<std::string> readClassList(const text::IniFile& ini, std::string_view missing);
// The changes below are each one locked reread-and-change of the file (IniFile::update), so
// a list changed by another window or run since `ini` was read is kept.
// Appends `name` (count + 1) unless the list already holds it; false when the file could not
// be written.
bool addToClassList(text::IniFile& ini, std::string_view name);
// Stores `to` under the first key whose value is `from`; nothing when none is.
bool renameInClassList(text::IniFile& ini, std::string_view from, std::string_view to);
// Writes the names as keys 1..n and count = n, all or none.
bool writeClassList(text::IniFile& ini, const std::vector<std::string>& names);

// Checks the lines of the class list editor: 0 when all are acceptable, else the number
// (from 1) of the first bad line. Lines are trimmed first.
int firstBadClassLine(const std::vector<std::string>& lines);

}  // namespace hj::presentation
