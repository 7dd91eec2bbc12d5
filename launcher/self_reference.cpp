#include "self_reference.h"

#include <vector>

#include "windows_services.h"

namespace {

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool IsSpellingOf(const std::string& own, const std::string& path) {
  return LowerAscii(own) == LowerAscii(path) ||
         WindowsServices::IsSameFile(own.c_str(), path.c_str());
}

// The length of the path's folder part, up to its last '\', '/' or ':'.
// Stepped by whole characters: the second byte of a double-byte character
// may be a backslash.
std::size_t FolderLength(const std::string& path) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (WindowsServices::IsLeadByte(path[i]) && i + 1 < path.size()) {
      ++i;
    } else if (path[i] == '\\' || path[i] == '/' || path[i] == ':') {
      length = i + 1;
    }
  }
  return length;
}

bool HasExtension(const std::string& name) {
  return name.find('.', FolderLength(name)) != std::string::npos;
}

// The program names the platform may read from a command line that starts
// with the record. A record without quotes is started quoted, so it is the
// name. A leading quoted part is the name. Otherwise the platform tries the
// text before each blank in turn, up to the first quote.
std::vector<std::string> ProgramNames(const std::string& record) {
  if (record[0] == '"') return {record.substr(1, record.find('"', 1) - 1)};
  const std::size_t quote = record.find('"');
  if (quote == std::string::npos) return {record};
  std::vector<std::string> names;
  for (std::size_t i = 0; i < quote; ++i) {
    if (record[i] == ' ' || record[i] == '\t')
      names.push_back(record.substr(0, i));
  }
  names.push_back(record.substr(0, quote));
  return names;
}

}  // namespace

bool RecordNamesThisLauncher(const std::string& record) {
  if (record.empty()) return false;
  const std::string own = WindowsServices::OwnFileName();
  const std::string ownFolder = own.substr(0, FolderLength(own));
  for (const std::string& name : ProgramNames(record)) {
    if (name.empty()) continue;
    // The platform adds ".exe" to a name without an extension, and looks
    // for a bare name in the launcher's own folder first.
    std::vector<std::string> files{name};
    if (!HasExtension(name)) files.push_back(name + ".exe");
    if (FolderLength(name) == 0) {
      for (std::size_t i = 0, n = files.size(); i < n; ++i) {
        files.push_back(ownFolder + files[i]);
      }
    }
    for (const std::string& file : files) {
      if (IsSpellingOf(own, file)) return true;
    }
  }
  return false;
}
