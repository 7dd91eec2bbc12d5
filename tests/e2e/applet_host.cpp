// A Control Panel host for tests: loads the built applet, sends it the
// messages of one scenario and checks every answer, the entry record byte for
// byte and the stack across each call. Prints one line per check; exits 1 when
// any check failed, 2 when it could not run.
//
//   applet_host CPL-FILE SCENARIO [MAIN-PROGRAM]
//
// The calling script sets up the product record and the files; MAIN-PROGRAM
// is the path the record names (or would name), used to compare icons and to
// change the record between calls.
#include <windows.h>
// <shellapi.h> after <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The registers a __stdcall callee must preserve, as they were after the
// call, and where the stack pointer was before and after it.
struct CallTrace {
  std::uint32_t espBefore;
  std::uint32_t espAfter;
  std::uint32_t ebx;
  std::uint32_t esi;
  std::uint32_t edi;
  std::uint32_t ebp;
};

}  // namespace

extern "C" {
// The thunk's own copy of ESP, so it can recover from a callee that breaks
// ESI as well.
std::uint32_t ThunkSavedEsp;
std::int32_t CallStdcall4(const void* function, const std::uint32_t* args,
                          CallTrace* trace);
}

// Calls function(args[0..3]) the way a Control Panel host does: pushes the four
// arguments and leaves popping them to the callee. ESP is kept in ESI, and
// EBX, EDI and EBP hold markers, so that a wrong calling convention or a
// clobbered register shows in the trace instead of being repaired by the
// compiler's frame handling. The thunk restores everything before returning.
asm(R"(
  .text
  .globl _CallStdcall4
_CallStdcall4:
  pushl %ebp
  pushl %ebx
  pushl %esi
  pushl %edi
  movl  %esp, %esi
  movl  %esp, _ThunkSavedEsp
  movl  24(%esi), %ecx
  pushl 12(%ecx)
  pushl 8(%ecx)
  pushl 4(%ecx)
  pushl (%ecx)
  movl  20(%esi), %eax
  movl  $0x0B0B0B0B, %ebx
  movl  $0xD1D1D1D1, %edi
  movl  $0xBFBFBFBF, %ebp
  call  *%eax
  movl  _ThunkSavedEsp, %ecx
  movl  28(%ecx), %edx
  movl  %ecx, 0(%edx)
  movl  %esp, 4(%edx)
  movl  %ebx, 8(%edx)
  movl  %esi, 12(%edx)
  movl  %edi, 16(%edx)
  movl  %ebp, 20(%edx)
  movl  %ecx, %esp
  popl  %edi
  popl  %esi
  popl  %ebx
  popl  %ebp
  ret
)");

namespace {

// The Control Panel's messages, numbered as in <cpl.h>.
constexpr std::uint32_t CplInit = 1;
constexpr std::uint32_t CplGetCount = 2;
constexpr std::uint32_t CplInquire = 3;
constexpr std::uint32_t CplDblClk = 5;
constexpr std::uint32_t CplStop = 6;
constexpr std::uint32_t CplExit = 7;
constexpr std::uint32_t CplNewInquire = 8;

constexpr const char* ProductKey = "SOFTWARE\\Orrindale\\Vellumark";
constexpr const char* ProductValue = "EXEFilePath";

constexpr std::size_t RecordSize = 244;
// Bytes either side of the record, to see writes beyond it.
constexpr std::size_t Guard = 32;

int failures = 0;

void Report(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!ok) ++failures;
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
  return text;
}

std::string MessageName(std::uint32_t message) {
  switch (message) {
    case CplInit:
      return "CPL_INIT";
    case CplGetCount:
      return "CPL_GETCOUNT";
    case CplInquire:
      return "CPL_INQUIRE";
    case CplDblClk:
      return "CPL_DBLCLK";
    case CplStop:
      return "CPL_STOP";
    case CplExit:
      return "CPL_EXIT";
    case CplNewInquire:
      return "CPL_NEWINQUIRE";
    default:
      return "message " + Hex(message);
  }
}

// The applet library as loaded by this host.
struct Applet {
  std::string file;
  HMODULE module = nullptr;
  const void* entry = nullptr;

  bool Load() {
    module = LoadLibraryA(file.c_str());
    Report(module != nullptr, "LoadLibraryA " + file);
    if (module == nullptr) return false;
    entry = reinterpret_cast<const void*>(GetProcAddress(module, "CPlApplet"));
    Report(entry != nullptr, "exports CPlApplet by that name");
    return entry != nullptr;
  }

  // Sends one message with the stack and register checks; the answer is
  // checked by the caller.
  std::int32_t Send(std::uint32_t message, std::uint32_t lParam1,
                    const void* lParam2) {
    const std::uint32_t args[4] = {
        0, message, lParam1,
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(lParam2))};
    CallTrace trace{};
    const std::int32_t answer = CallStdcall4(entry, args, &trace);
    const std::int32_t moved =
        static_cast<std::int32_t>(trace.espAfter - trace.espBefore);
    std::string broken;
    if (trace.esi != trace.espBefore) broken += " ESI";
    if (trace.ebx != 0x0B0B0B0Bu) broken += " EBX";
    if (trace.edi != 0xD1D1D1D1u) broken += " EDI";
    if (trace.ebp != 0xBFBFBFBFu) broken += " EBP";
    Report(moved == 0 && broken.empty(),
           MessageName(message) + " pops its 16 bytes (ESP moved " +
               std::to_string(moved) + ") and keeps EBX ESI EDI EBP" +
               (broken.empty() ? "" : " (changed:" + broken + ")"));
    return answer;
  }

  void Expect(std::uint32_t message, std::int32_t want, const void* record) {
    const std::int32_t answer = Send(message, 0, record);
    Report(answer == want, MessageName(message) + " answers " +
                               std::to_string(answer) + ", want " +
                               std::to_string(want));
  }
};

// A record buffer with guard bytes, every byte set to one pattern.
struct Buffer {
  std::vector<unsigned char> bytes;
  explicit Buffer(unsigned char pattern)
      : bytes(Guard + RecordSize + Guard, pattern) {}
  unsigned char* Record() { return bytes.data() + Guard; }
};

std::string FieldAt(std::size_t offset) {
  if (offset < Guard) return "before the record";
  offset -= Guard;
  if (offset >= RecordSize) return "after the record";
  if (offset < 4) return "dwSize";
  if (offset < 8) return "dwFlags";
  if (offset < 12) return "dwHelpContext";
  if (offset < 16) return "lData";
  if (offset < 20) return "hIcon";
  if (offset < 52) return "szName";
  if (offset < 116) return "szInfo";
  return "szHelpFile";
}

// Reports whether the buffer holds exactly the expected bytes, naming the
// first differences.
void ExpectBytes(const std::vector<unsigned char>& actual,
                 const std::vector<unsigned char>& expected,
                 const std::string& what) {
  std::string differences;
  int shown = 0;
  for (std::size_t i = 0; i < actual.size(); ++i) {
    if (actual[i] == expected[i]) continue;
    if (++shown > 6) {
      differences += " ...";
      break;
    }
    char text[96];
    std::snprintf(text, sizeof text, " [%d %s: %02X, want %02X]",
                  static_cast<int>(i) - static_cast<int>(Guard),
                  FieldAt(i).c_str(), actual[i], expected[i]);
    differences += text;
  }
  Report(differences.empty(), what + differences);
}

std::uint32_t WordAt(const unsigned char* bytes) {
  std::uint32_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

void PutWord(unsigned char* bytes, std::uint32_t word) {
  std::memcpy(bytes, &word, sizeof word);
}

// An icon's pixels and mask, for comparing icons by what they show.
std::vector<std::uint32_t> IconImage(HICON icon) {
  std::vector<std::uint32_t> image;
  ICONINFO info{};
  if (icon == nullptr || !GetIconInfo(icon, &info)) return image;
  HDC screen = GetDC(nullptr);
  for (HBITMAP bitmap : {info.hbmColor, info.hbmMask}) {
    BITMAP shape{};
    if (bitmap == nullptr || !GetObjectA(bitmap, sizeof shape, &shape)) {
      continue;
    }
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = shape.bmWidth;
    format.bmiHeader.biHeight = shape.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(shape.bmWidth) *
                                      shape.bmHeight);
    GetDIBits(screen, bitmap, 0, shape.bmHeight, pixels.data(), &format,
              DIB_RGB_COLORS);
    image.push_back(shape.bmWidth);
    image.push_back(shape.bmHeight);
    image.insert(image.end(), pixels.begin(), pixels.end());
  }
  ReleaseDC(nullptr, screen);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return image;
}

// What the shell shows for the file, or nothing when it has no icon for it.
std::vector<std::uint32_t> ShellIconImage(const std::string& path) {
  SHFILEINFOA info{};
  if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON) == 0 ||
      info.hIcon == nullptr) {
    return {};
  }
  std::vector<std::uint32_t> image = IconImage(info.hIcon);
  DestroyIcon(info.hIcon);
  return image;
}

// CPL_NEWINQUIRE over records pre-filled with host bytes: only the fields
// the applet owns change, and nothing outside the record. The icon must show
// what the shell shows for iconSource (0 where the shell has no icon), and
// must be there when iconRequired.
void CheckNewInquire(Applet& applet, const std::string& iconSource,
                     bool iconRequired) {
  static const char Name[] = "Vellumark";
  static const char Info[] =
      "Easily uninstall and manage your installed applications.";
  const std::vector<std::uint32_t> shellIcon = ShellIconImage(iconSource);
  const std::string source = iconSource.empty() ? "\"\"" : iconSource;

  for (const unsigned char pattern : {0xAB, 0x00}) {
    Buffer buffer(pattern);
    std::vector<unsigned char> expected = buffer.bytes;
    unsigned char* want = expected.data() + Guard;
    PutWord(want + 0, RecordSize);
    PutWord(want + 8, 0);
    PutWord(want + 12, 0);
    std::memset(want + 20, 0, 32);
    std::memcpy(want + 20, Name, sizeof Name - 1);
    std::memcpy(want + 52, Info, sizeof Info);
    want[116] = 0;

    applet.Expect(CplNewInquire, 0, buffer.Record());

    const std::uint32_t handle = WordAt(buffer.Record() + 16);
    const std::string prefix =
        "CPL_NEWINQUIRE over " + Hex(pattern) + " bytes: ";
    if (iconRequired || !shellIcon.empty()) {
      // A handle is not known in advance; what it shows is.
      PutWord(want + 16, handle);
      const auto shown = IconImage(reinterpret_cast<HICON>(handle));
      Report(handle != 0 && !shown.empty(),
             prefix + "hIcon " + Hex(handle) + " is a usable icon");
      Report(!shown.empty() && shown == shellIcon,
             prefix + "hIcon shows the shell's icon for " + source);
    } else {
      PutWord(want + 16, 0);
    }
    ExpectBytes(buffer.bytes, expected,
                prefix + "the record holds exactly the applet's fields");
  }

  applet.Expect(CplNewInquire, 0, nullptr);
}

// CPL_INQUIRE and the messages the applet does not handle: answer 0 and
// leave the record alone.
void CheckIgnored(Applet& applet, const std::vector<std::uint32_t>& messages) {
  for (const std::uint32_t message : messages) {
    Buffer buffer(0xAB);
    const std::vector<unsigned char> before = buffer.bytes;
    applet.Expect(message, 0, buffer.Record());
    ExpectBytes(buffer.bytes, before,
                MessageName(message) + " writes nothing into the record");
  }
}

void SetRecord(const std::string& path) {
  HKEY key = nullptr;
  LONG result =
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKey, 0, KEY_SET_VALUE, &key);
  if (result == ERROR_SUCCESS) {
    result = RegSetValueExA(key, ProductValue, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(path.c_str()),
                            static_cast<DWORD>(path.size() + 1));
    RegCloseKey(key);
  }
  Report(result == ERROR_SUCCESS, "host sets the product record to " + path);
}

void DeleteRecord() {
  HKEY key = nullptr;
  LONG result =
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKey, 0, KEY_SET_VALUE, &key);
  if (result == ERROR_SUCCESS) {
    result = RegDeleteValueA(key, ProductValue);
    RegCloseKey(key);
  }
  Report(result == ERROR_SUCCESS, "host deletes the product record");
}

bool Reload(Applet& applet) {
  FreeLibrary(applet.module);
  Report(GetModuleHandleA(applet.file.c_str()) == nullptr,
         "FreeLibrary unloads the applet");
  return applet.Load();
}

// Runs this host on the same applet in another process, with this one still
// holding the library, and waits for it.
void RunOtherHost(const Applet& applet, const char* scenario,
                  const std::string& mainProgram) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string commandLine = std::string("\"") + self + "\" \"" + applet.file +
                            "\" " + scenario + " \"" + mainProgram + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  DWORD exitCode = 99;
  if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0,
                     nullptr, nullptr, &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  Report(exitCode == 0, std::string("a second host (") + scenario +
                            ") passes while this one holds the applet");
}

// Every message a Control Panel host sends besides the ones with a meaning.
const std::vector<std::uint32_t> Ignored = {0,  4,   CplStop,    CplExit,   9,
                                            10, 200, 0x7FFFFFFF, 0xFFFFFFFF};

enum class Step {
  InitYes,             // CPL_INIT answers 1
  InitNo,              // CPL_INIT answers 0
  GetCount,            // CPL_GETCOUNT answers 1
  Inquire,             // CPL_INQUIRE answers 0, writes nothing
  NewInquire,          // entry record with the main program's icon
  NewInquireAsShell,   // entry record with the shell's icon for MAIN, if any
  NewInquireNoRecord,  // entry record with the shell's icon for ""
  Ignored,             // the other messages answer 0 and write nothing
  OpenStarts,          // CPL_DBLCLK answers 0
  OpenRetires,         // CPL_DBLCLK answers 1
  Finish,              // CPL_STOP, CPL_EXIT
  DeleteRecord,
  SetRecord,               // to MAIN-PROGRAM
  Reload,                  // FreeLibrary, LoadLibraryA
  OtherHostSeesNoProgram,  // a second host loads it: CPL_INIT answers 0
  OtherHostSeesProgram,    // a second host loads it: CPL_INIT answers 1
};

struct Scenario {
  const char* name;
  bool needsMainProgram;
  std::vector<Step> steps;
};

// clang-format off
const Scenario Scenarios[] = {
  // The record names an existing, startable main program.
  {"expect-present", true,
   {Step::InitYes, Step::GetCount, Step::Inquire, Step::NewInquire,
    Step::OpenStarts, Step::Ignored, Step::Finish}},
  // The record names a file that exists but does not start.
  {"expect-unstartable", true,
   {Step::InitYes, Step::GetCount, Step::Inquire, Step::NewInquireAsShell,
    Step::OpenRetires, Step::Ignored, Step::Finish}},
  // No record (no MAIN-PROGRAM), or one naming no usable file.
  {"expect-absent", false,
   {Step::InitNo, Step::GetCount, Step::Inquire, Step::NewInquireAsShell,
    Step::OpenRetires, Step::Ignored, Step::Finish}},
  // The record is read once per load: deleting it later changes nothing
  // until the library is loaded again.
  {"load-once-deleted", true,
   {Step::InitYes, Step::DeleteRecord, Step::InitYes, Step::NewInquire,
    Step::OpenStarts, Step::Reload, Step::InitNo}},
  // Nor does writing one later.
  {"load-once-written", true,
   {Step::InitNo, Step::SetRecord, Step::InitNo, Step::NewInquireNoRecord,
    Step::Reload, Step::InitYes, Step::NewInquire}},
  // Each process has its own state while both hold the library: a second
  // host reads the record as it is when it loads the library, and this one
  // keeps what it read.
  {"two-hosts-deleted", true,
   {Step::InitYes, Step::DeleteRecord, Step::OtherHostSeesNoProgram,
    Step::InitYes, Step::NewInquire}},
  {"two-hosts-written", true,
   {Step::InitNo, Step::SetRecord, Step::OtherHostSeesProgram, Step::InitNo,
    Step::NewInquireNoRecord}},
  // What the second hosts run.
  {"expect-init-0", false, {Step::InitNo, Step::NewInquireNoRecord}},
  {"expect-init-1", true, {Step::InitYes, Step::NewInquire}},
};
// clang-format on

// False when the applet can no longer be called.
bool Run(Applet& applet, const std::string& mainProgram, Step step) {
  switch (step) {
    case Step::InitYes:
      applet.Expect(CplInit, 1, nullptr);
      return true;
    case Step::InitNo:
      applet.Expect(CplInit, 0, nullptr);
      return true;
    case Step::GetCount:
      applet.Expect(CplGetCount, 1, nullptr);
      return true;
    case Step::Inquire:
      CheckIgnored(applet, {CplInquire});
      return true;
    case Step::NewInquire:
      CheckNewInquire(applet, mainProgram, true);
      return true;
    case Step::NewInquireAsShell:
      CheckNewInquire(applet, mainProgram, false);
      return true;
    case Step::NewInquireNoRecord:
      CheckNewInquire(applet, "", false);
      return true;
    case Step::Ignored:
      CheckIgnored(applet, Ignored);
      return true;
    case Step::OpenStarts:
      applet.Expect(CplDblClk, 0, nullptr);
      return true;
    case Step::OpenRetires:
      applet.Expect(CplDblClk, 1, nullptr);
      return true;
    case Step::Finish:
      applet.Expect(CplStop, 0, nullptr);
      applet.Expect(CplExit, 0, nullptr);
      return true;
    case Step::DeleteRecord:
      DeleteRecord();
      return true;
    case Step::SetRecord:
      SetRecord(mainProgram);
      return true;
    case Step::Reload:
      return Reload(applet);
    case Step::OtherHostSeesNoProgram:
      RunOtherHost(applet, "expect-init-0", mainProgram);
      return true;
    case Step::OtherHostSeesProgram:
      RunOtherHost(applet, "expect-init-1", mainProgram);
      return true;
  }
  return false;
}

int Usage() {
  std::fprintf(stderr,
               "usage: applet_host CPL-FILE SCENARIO [MAIN-PROGRAM]\n"
               "scenarios:");
  for (const Scenario& scenario : Scenarios) {
    std::fprintf(stderr, " %s", scenario.name);
  }
  std::fprintf(stderr, "\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) return Usage();
  const Scenario* scenario = nullptr;
  for (const Scenario& candidate : Scenarios) {
    if (std::strcmp(candidate.name, argv[2]) == 0) scenario = &candidate;
  }
  if (scenario == nullptr || (scenario->needsMainProgram && argc != 4)) {
    return Usage();
  }
  const std::string mainProgram = argc == 4 ? argv[3] : "";

  Applet applet;
  applet.file = argv[1];
  if (!applet.Load()) return 2;
  for (const Step step : scenario->steps) {
    if (!Run(applet, mainProgram, step)) return 2;
  }
  FreeLibrary(applet.module);

  std::printf("%s: %d failed\n", scenario->name, failures);
  return failures == 0 ? 0 : 1;
}
