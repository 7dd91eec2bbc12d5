#include "fake_windows_services.h"

#include <algorithm>
#include <cstring>

namespace FakeWindows {

namespace {

State state;

struct OpenKeyRecord {
  std::string path;
  std::uint32_t access;
};
std::map<Handle, OpenKeyRecord> openHandles;
Handle nextHandle = 0x100;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return text;
}

std::string KeyPath(Handle root, const std::string& subKey) {
  return std::to_string(root) + "\\" + Lower(subKey);
}

// Records the call; true when the test asked for it to fail.
bool Fails(Call call) {
  state.calls.push_back(call);
  return state.failingCalls.count(call) != 0 ||
         state.failingCallNumber == state.calls.size();
}

const OpenKeyRecord* OpenRecord(Handle key) {
  const auto found = openHandles.find(key);
  if (found == openHandles.end()) {
    ++state.misusedHandles;
    return nullptr;
  }
  return &found->second;
}

}  // namespace

State& Fake() { return state; }

void Reset() {
  state = State();
  openHandles.clear();
  nextHandle = 0x100;
}

Key& AddKey(Handle root, const std::string& subKey) {
  return state.keys[KeyPath(root, subKey)];
}

Key* FindKey(Handle root, const std::string& subKey) {
  const auto found = state.keys.find(KeyPath(root, subKey));
  return found == state.keys.end() ? nullptr : &found->second;
}

void PutValue(Handle root, const std::string& subKey, const std::string& name,
              Value value) {
  AddKey(root, subKey).values[Lower(name)] = std::move(value);
}

const Value* FindValue(Handle root, const std::string& subKey,
                       const std::string& name) {
  const Key* key = FindKey(root, subKey);
  if (key == nullptr) return nullptr;
  const auto found = key->values.find(Lower(name));
  return found == key->values.end() ? nullptr : &found->second;
}

Value StringValue(const std::string& text) {
  return BytesValue(RegSz, text + '\0');
}

Value BytesValue(std::uint32_t type, const std::string& bytes) {
  return Value{type, std::vector<unsigned char>(bytes.begin(), bytes.end())};
}

std::string Text(const std::vector<unsigned char>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace FakeWindows

namespace WindowsServices {

using namespace FakeWindows;

long OpenKey(Handle root, const char* subKey, std::uint32_t access,
             Handle* key) {
  *key = 0;
  if (Fails(Call::OpenKey)) return ErrorAccessDenied;
  Key* found = FindKey(root, subKey);
  if (found == nullptr) return ErrorFileNotFound;
  if (access != KeyQueryValue && found->refusesWrites) return ErrorAccessDenied;
  *key = nextHandle++;
  openHandles[*key] = {KeyPath(root, subKey), access};
  ++state.openKeys;
  return Success;
}

long QueryValue(Handle key, const char* valueName, std::uint32_t* type,
                unsigned char* data, std::uint32_t* size) {
  const bool fails = Fails(Call::QueryValue);
  const int queryNumber = static_cast<int>(
      std::count(state.calls.begin(), state.calls.end(), Call::QueryValue));
  if (state.beforeQuery) state.beforeQuery(queryNumber);
  const OpenKeyRecord* record = OpenRecord(key);
  if (record == nullptr) return ErrorInvalidHandle;
  if (fails) return ErrorAccessDenied;
  const auto& values = state.keys[record->path].values;
  const auto found = values.find(Lower(valueName));
  if (found == values.end()) return ErrorFileNotFound;
  const Value& value = found->second;
  const auto needed = static_cast<std::uint32_t>(value.data.size());
  *type = value.type;
  if (data == nullptr) {
    *size = needed;
    return Success;
  }
  if (*size < needed) {
    *size = needed;
    return ErrorMoreData;
  }
  if (needed != 0) std::memcpy(data, value.data.data(), needed);
  *size = needed + state.extraReportedBytes;
  return Success;
}

void SetValue(Handle key, const char* valueName, std::uint32_t type,
              const unsigned char* data, std::uint32_t size) {
  if (Fails(Call::SetValue)) return;
  const OpenKeyRecord* record = OpenRecord(key);
  if (record == nullptr || record->access != KeyWrite) return;
  state.keys[record->path].values[Lower(valueName)] =
      Value{type, std::vector<unsigned char>(data, data + size)};
}

void CloseKey(Handle key) {
  Fails(Call::CloseKey);
  if (OpenRecord(key) == nullptr) return;
  openHandles.erase(key);
  --state.openKeys;
}

unsigned StartProgram(const char* commandLine) {
  if (Fails(Call::StartProgram)) return 2;  // ERROR_FILE_NOT_FOUND
  state.startedCommandLines.push_back(commandLine);
  return state.startResult;
}

void ShowMessage(const char* text, const char* caption) {
  if (Fails(Call::ShowMessage)) return;
  state.messages.push_back({text, caption});
}

Handle FileIcon(const char* path) {
  state.iconRequests.push_back(path);
  if (Fails(Call::FileIcon)) return 0;
  const auto found = state.files.find(path);
  return found == state.files.end() ? 0 : found->second.icon;
}

bool IsExistingFile(const char* path) {
  if (Fails(Call::IsExistingFile)) return false;
  const auto found = state.files.find(path);
  return found != state.files.end() && !found->second.isDirectory;
}

bool IsSameFile(const char* first, const char* second) {
  if (Fails(Call::IsSameFile)) return false;
  return state.sameFiles.count({first, second}) != 0 ||
         state.sameFiles.count({second, first}) != 0;
}

std::string OwnFileName() {
  if (Fails(Call::OwnFileName)) return {};
  return state.ownFileName;
}

const char* CommandLine() {
  if (Fails(Call::CommandLine)) return "";
  return state.commandLine.c_str();
}

bool IsLeadByte(char byte) {
  return state.leadBytes.count(static_cast<unsigned char>(byte)) != 0;
}

}  // namespace WindowsServices
