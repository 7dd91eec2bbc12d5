// A recording substitute for the Windows seam: an in-memory registry and file
// system that records program starts and messages, and can fail any call.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "windows_services.h"

namespace FakeWindows {

using WindowsServices::Handle;

enum class Call {
  OpenKey,
  QueryValue,
  SetValue,
  CloseKey,
  StartProgram,
  ShowMessage,
  FileIcon,
  IsExistingFile,
  IsSameFile,
  OwnFileName,
  CommandLine,
};

constexpr std::uint32_t RegSz = 1;
constexpr std::uint32_t RegExpandSz = 2;
constexpr std::uint32_t RegBinary = 3;
constexpr std::uint32_t RegDword = 4;
constexpr long ErrorFileNotFound = 2;
constexpr long ErrorAccessDenied = 5;
constexpr long ErrorInvalidHandle = 6;
constexpr long ErrorMoreData = 234;

struct Value {
  std::uint32_t type = RegSz;
  std::vector<unsigned char> data;
};

struct Key {
  bool refusesWrites = false;
  std::map<std::string, Value> values;  // by lower-case name
};

struct File {
  bool isDirectory = false;
  Handle icon = 0;
};

struct Message {
  std::string text;
  std::string caption;
};

struct State {
  std::map<std::string, Key> keys;    // by "root\subkey", lower case
  std::map<std::string, File> files;  // by exact path
  std::set<std::pair<std::string, std::string>> sameFiles;  // other spellings
  std::set<unsigned char> leadBytes;
  std::string ownFileName = "C:\\Vellumark\\launcher.exe";
  std::string commandLine = "launcher.exe";
  unsigned startResult = 33;

  // What the code under test did.
  std::vector<Call> calls;
  std::vector<std::string> startedCommandLines;
  std::vector<Message> messages;
  std::vector<std::string> iconRequests;
  int openKeys = 0;  // opened and not yet closed
  int misusedHandles = 0;

  // Faults to inject.
  std::set<Call> failingCalls;
  std::size_t failingCallNumber = 0;  // 1-based position in `calls`; 0: none
  std::function<void(int queryNumber)> beforeQuery;
  // Added to the size a query that fills a buffer reports, as a misbehaving
  // registry might.
  std::uint32_t extraReportedBytes = 0;
};

// The one substitute instance; Reset() before each test.
State& Fake();
void Reset();

// Helpers for arranging the in-memory registry.
Key& AddKey(Handle root, const std::string& subKey);
Key* FindKey(Handle root, const std::string& subKey);
void PutValue(Handle root, const std::string& subKey, const std::string& name,
              Value value);
const Value* FindValue(Handle root, const std::string& subKey,
                       const std::string& name);
Value StringValue(const std::string& text);  // REG_SZ with its NUL
Value BytesValue(std::uint32_t type, const std::string& bytes);
std::string Text(const std::vector<unsigned char>& bytes);

}  // namespace FakeWindows
