#include "control_panel.h"

#include <cstring>
#include <string>

#include "applet_state.h"
#include "messages.h"
#include "product_record.h"
#include "registry_strings.h"
#include "windows_services.h"

static_assert(sizeof EntryName <= EntryRecordNameSize, "name fits");
static_assert(sizeof EntryDescription <= EntryRecordInfoSize, "text fits");

namespace {

// A wildcard would match some other file, and an empty path none.
bool MainProgramFileExists() {
  return !MainProgramPath.empty() &&
         MainProgramPath.find_first_of("*?") == std::string::npos &&
         WindowsServices::IsExistingFile(MainProgramPath.c_str());
}

void PutWord(unsigned char* record, std::uint32_t offset, std::uint32_t word) {
  std::memcpy(record + offset, &word, sizeof word);
}

// Writes only the fields the Control Panel reads from us; the rest keeps the
// host's bytes.
void FillEntryRecord(unsigned char* record) {
  PutWord(record, EntryRecordSizeOffset, EntryRecordSize);
  PutWord(record, EntryRecordHelpContextOffset, 0);
  PutWord(record, EntryRecordDataOffset, 0);
  // Icon handles are 32 bits wide in the 32-bit record.
  PutWord(record, EntryRecordIconOffset,
          static_cast<std::uint32_t>(MainProgramIcon));

  unsigned char* name = record + EntryRecordNameOffset;
  std::memset(name, 0, EntryRecordNameSize);
  std::memcpy(name, EntryName, sizeof EntryName - 1);

  std::memcpy(record + EntryRecordInfoOffset, EntryDescription,
              sizeof EntryDescription);
  record[EntryRecordHelpFileOffset] = 0;
}

std::int32_t OpenEntry() {
  if (MainProgramFileExists() &&
      WindowsServices::StartProgram(
          QuotedProgramPath(MainProgramPath).c_str()) > 31) {
    return 0;
  }
  return RetireApplet();
}

}  // namespace

std::int32_t RetireApplet() {
  WindowsServices::ShowMessage(AppletNotInstalledMessage, MessageCaption);
  WriteRegString(WindowsServices::LocalMachine, DontLoadKey, AppletFileName,
                 "");
  return 1;
}

std::int32_t AnswerControlPanel(std::uint32_t message, void* record) {
  switch (message) {
    case CplInit:
      return MainProgramFileExists() ? 1 : 0;
    case CplGetCount:
      return 1;
    case CplDblClk:
      return OpenEntry();
    case CplNewInquire:
      if (record != nullptr) {
        FillEntryRecord(static_cast<unsigned char*>(record));
      }
      return 0;
    default:
      return 0;
  }
}
