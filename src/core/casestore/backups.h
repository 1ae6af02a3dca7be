#pragma once
// Backups of whole histories (see case_store.h): made by clearing and importing under the
// store's exclusive lock, each staged as dat/backups/.new-<tag> and renamed to its dated name
// only when every file was copied and flushed; old ones are renamed to .old-<tag> before they
// are removed. So a listed backup is always whole, and the hidden leftovers of an interrupted
// operation are thrown away by the next one's recovery.
#include <string>

#include "core/casestore/journal.h"

namespace hj::casestore::detail {

// Copies the record files and reports of the locked store into a new backup; `made` gets its
// name, or stays empty when the history holds no case (nothing worth keeping). False with
// `error` (nothing left behind) when a file could not be copied.
bool makeBackup(const StorePaths& p, std::string& made, std::string* error);
// Removes the backup `name` (one just made for a change that did not happen).
bool dropBackup(const StorePaths& p, const std::string& name, std::string* error);
// Keeps the newest `keep` backups; the others go. Best effort: what cannot go now goes next time.
void pruneBackups(const StorePaths& p, int keep);
// Unfinished or half-removed backups of an interrupted operation.
bool hasUnfinishedBackups(const StorePaths& p);
bool dropUnfinishedBackups(const StorePaths& p, std::string* error);
// True when `name` is a backup's name (YYYYMMDD-HHMMSS, "-N" for the N-th of one second).
bool isBackupName(const std::string& name);

}  // namespace hj::casestore::detail
