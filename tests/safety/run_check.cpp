#include "run_check.h"

#include "reference_conversion.h"

#include <optional>
#include <set>

namespace {

const std::string kTranscoded = "已转码";
const std::string kBackedUp = "备份成功";
const std::string kBackupFailed = "备份失败";
const std::string kRestored = "还原成功";
const std::string kRestoreFailed = "还原失败";
const std::set<std::string> kTranscodeNotDone = {"跳过", "转码失败", "取消", "等待转码"};

bool EndsWithNoCase(const std::wstring &text, const std::wstring &end) {
  if (text.size() < end.size()) return false;
  return CompareStringOrdinal(text.data() + text.size() - end.size(), static_cast<int>(end.size()),
                              end.data(), static_cast<int>(end.size()), TRUE) == CSTR_EQUAL;
}

class Checker {
public:
  explicit Checker(const CheckInput &input) : in_(input) {
    if (in_.kind == RunKind::Restore) {
      for (const auto &[path, state] : *in_.before) {
        if (IsBackupName(path)) backupsByTarget_[RestoreTarget(path)].push_back(path);
      }
    }
    if (!in_.rows) return;
    for (const ListedRow &row : *in_.rows) {
      std::wstring path = RowPath(row.path);
      rowStatuses_[path].insert(row.status);
      const FileState *now = After(path);
      if (row.status == kTranscoded && now && !now->identity.empty()) {
        convertedFiles_.insert(now->identity);
      }
    }
  }

  CheckResult Check() {
    for (const auto &[path, state] : *in_.before) CheckOldFile(path, state);
    for (const auto &[path, state] : *in_.after) {
      if (!in_.before->count(path)) CheckNewFile(path, state);
    }
    if (in_.rows) CheckRows();
    return std::move(result_);
  }

private:
  std::wstring RowPath(const std::string &path) const {
    if (!in_.rowPrefix.empty() && path.rfind(in_.rowPrefix, 0) == 0) {
      return Wide(in_.rowPrefixAs + path.substr(in_.rowPrefix.size()));
    }
    return Wide(path);
  }

  bool Inside(const std::wstring &path) const {
    return !in_.chosen.empty() && path.size() > in_.chosen.size() &&
           path.compare(0, in_.chosen.size(), in_.chosen) == 0 &&
           (in_.chosen.back() == L'\\' || path[in_.chosen.size()] == L'\\');
  }

  static const FileState *Find(const Snapshot &snapshot, const std::wstring &path) {
    auto found = snapshot.find(path);
    return found == snapshot.end() ? nullptr : &found->second;
  }
  const FileState *Before(const std::wstring &path) const { return Find(*in_.before, path); }
  const FileState *After(const std::wstring &path) const { return Find(*in_.after, path); }

  // Same presence and, when present, the same bytes.
  bool Unchanged(const std::wstring &path) const {
    const FileState *before = Before(path), *after = After(path);
    if (!before || !after) return !before && !after;
    return before->bytes == after->bytes;
  }

  bool RowSays(const std::wstring &path, const std::string &status) const {
    if (!in_.rows) return true; // nothing to hold against
    auto found = rowStatuses_.find(path);
    return found != rowStatuses_.end() && found->second.count(status);
  }

  // Whether path now reaches a file that a row says was converted under another name (a
  // link, a second name of one file): its change is that row's.
  bool ConvertedUnderAnotherName(const std::wstring &path) const {
    const FileState *now = After(path);
    return now && !now->identity.empty() && convertedFiles_.count(now->identity);
  }

  bool IsTranscode() const { return in_.kind == RunKind::ToUtf8 || in_.kind == RunKind::ToGbk; }

  std::optional<std::string> Converted(const std::string &bytes) const {
    return in_.kind == RunKind::ToUtf8 ? ReferenceGbkToUtf8(bytes) : ReferenceUtf8ToGbk(bytes);
  }

  void Problem(const std::string &what, const std::wstring &path) {
    result_.problems.push_back(what + ": " + Narrow(path));
  }

  void Lost(const std::string &what, const std::wstring &path, size_t bytes) {
    // A damaged empty file still counts: one byte stands for "the file is not what it was".
    result_.bytesLost += bytes > 0 ? static_cast<long long>(bytes) : 1;
    Problem(what, path);
  }

  // The backup that this run may have restored to path, with exactly path's new bytes.
  bool RestoredFromBackup(const std::wstring &target, const std::string &bytes) const {
    auto found = backupsByTarget_.find(target);
    if (found == backupsByTarget_.end()) return false;
    for (const std::wstring &backup : found->second) {
      if (Before(backup)->bytes == bytes && RowSays(backup, kRestored)) return true;
    }
    return false;
  }

  // Whether path is the backup of a source this run backed up, holding its source's bytes.
  bool BackupOfSource(const std::wstring &path, const std::string &bytes) const {
    if (!EndsWithNoCase(path, L".ravex")) return false;
    std::wstring source = path.substr(0, path.size() - 6);
    const FileState *old = Before(source);
    return old && old->bytes == bytes && RowSays(source, kBackedUp);
  }

  void CheckOldFile(const std::wstring &path, const FileState &old) {
    const FileState *now = After(path);
    if (!Inside(path)) {
      if (!now || now->bytes != old.bytes)
        Lost("changed outside the chosen folder", path, old.bytes.size());
      return;
    }
    ++result_.filesBefore;
    if (!old.readable) return; // held by another party while the snapshot was taken
    if (now && now->bytes == old.bytes) return;
    if (!now) {
      bool consumedBackup =
          in_.kind == RunKind::Restore && IsBackupName(path) && After(RestoreTarget(path)) &&
          After(RestoreTarget(path))->bytes == old.bytes && RowSays(path, kRestored);
      if (!consumedBackup) Lost("file gone", path, old.bytes.size());
      return;
    }
    bool asked = false;
    if (IsTranscode()) {
      std::optional<std::string> converted = Converted(old.bytes);
      asked = converted && *converted == now->bytes;
      if (asked && !RowSays(path, kTranscoded) && !ConvertedUnderAnotherName(path)) {
        Problem("rewritten, but no row says so", path);
      }
    } else if (in_.kind == RunKind::Backup) {
      asked = BackupOfSource(path, now->bytes);
    } else {
      asked = RestoredFromBackup(path, now->bytes);
    }
    if (asked) {
      ++result_.rewritten;
    } else {
      Lost("content damaged", path, old.bytes.size());
    }
  }

  void CheckNewFile(const std::wstring &path, const FileState &now) {
    if (!Inside(path)) {
      Problem("new file outside the chosen folder", path);
      return;
    }
    if (NameStartsWithDot(path)) {
      result_.temporaries.push_back(path);
      if (!in_.temporariesAllowed) Problem("temporary file left behind", path);
      return;
    }
    bool asked = (in_.kind == RunKind::Backup && BackupOfSource(path, now.bytes)) ||
                 (in_.kind == RunKind::Restore && RestoredFromBackup(path, now.bytes));
    if (asked) {
      ++result_.rewritten;
    } else {
      Problem("unexpected new file (or a backup without its source's bytes)", path);
    }
  }

  void CheckRows() {
    const std::vector<ListedRow> &rows = *in_.rows;
    for (size_t i = 0; i < rows.size(); ++i) {
      const ListedRow &row = rows[i];
      ++result_.statuses[row.status];
      std::string digits = std::to_string(i + 1);
      std::string number = std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits;
      if (!row.number.empty() && row.number != number) { // empty: not read
        result_.problems.push_back("row " + digits + " is numbered " + row.number);
      }
      std::wstring path = RowPath(row.path);
      if (IsTranscode()) {
        CheckTranscodeRow(path, row.status);
      } else if (in_.kind == RunKind::Backup) {
        CheckBackupRow(path, row.status);
      } else {
        CheckRestoreRow(path, row.status);
      }
    }
  }

  void CheckTranscodeRow(const std::wstring &path, const std::string &status) {
    const FileState *old = Before(path), *now = After(path);
    if (status == kTranscoded) {
      std::optional<std::string> converted =
          old && old->readable ? Converted(old->bytes) : std::nullopt;
      if (!now || !converted || *converted != now->bytes) {
        Problem("row says 已转码 but the file was not converted", path);
      }
    } else if (kTranscodeNotDone.count(status)) {
      if (!Unchanged(path) && !RowSays(path, kTranscoded) && !ConvertedUnderAnotherName(path)) {
        Problem("row says " + status + " but the file changed", path);
      }
    } else {
      Problem("unknown status " + status, path);
    }
  }

  void CheckBackupRow(const std::wstring &path, const std::string &status) {
    const FileState *source = Before(path), *backup = After(path + L".ravex");
    if (status == kBackedUp) {
      if (!source || !source->readable || !backup || backup->bytes != source->bytes) {
        Problem("row says 备份成功 but the backup does not hold the file's bytes", path);
      }
    } else if (status == kBackupFailed) {
      if (!Unchanged(path + L".ravex") && !RowSays(path, kBackedUp)) {
        Problem("row says 备份失败 but the backup changed", path);
      }
    } else {
      Problem("unknown status " + status, path);
    }
  }

  void CheckRestoreRow(const std::wstring &path, const std::string &status) {
    std::wstring target = RestoreTarget(path);
    const FileState *backup = Before(path), *written = After(target);
    if (status == kRestored) {
      if (!backup || !backup->readable || !written || written->bytes != backup->bytes) {
        Problem("row says 还原成功 but the file does not hold the backup's bytes", path);
      }
    } else if (status == kRestoreFailed) {
      if (!Unchanged(target)) Problem("row says 还原失败 but the file changed", target);
      if (!Unchanged(path)) Problem("row says 还原失败 but the backup changed", path);
    } else {
      Problem("unknown status " + status, path);
    }
  }

  const CheckInput &in_;
  std::map<std::wstring, std::set<std::string>> rowStatuses_;
  std::set<std::string> convertedFiles_; // identities of files rows say were converted
  std::map<std::wstring, std::vector<std::wstring>> backupsByTarget_; // restore runs only
  CheckResult result_;
};

} // namespace

std::wstring RestoreTarget(const std::wstring &backup) {
  size_t dot = backup.find_last_of(L'.');
  return dot == std::wstring::npos ? backup : backup.substr(0, dot);
}

bool IsBackupName(const std::wstring &path) { return EndsWithNoCase(path, L".ravex"); }

CheckResult CheckRun(const CheckInput &input) { return Checker(input).Check(); }
