// The applet's answers to the Control Panel's messages.
#pragma once

#include <cstdint>

// The Control Panel's message numbers.
enum ControlPanelMessage : std::uint32_t {
  CplInit = 1,
  CplGetCount = 2,
  CplInquire = 3,
  CplSelect = 4,
  CplDblClk = 5,
  CplStop = 6,
  CplExit = 7,
  CplNewInquire = 8,
};

// The 32-bit entry record filled for CplNewInquire (NEWCPLINFOA).
constexpr std::uint32_t EntryRecordSize = 244;
constexpr std::uint32_t EntryRecordSizeOffset = 0;
constexpr std::uint32_t EntryRecordHelpContextOffset = 8;
constexpr std::uint32_t EntryRecordDataOffset = 12;
constexpr std::uint32_t EntryRecordIconOffset = 16;
constexpr std::uint32_t EntryRecordNameOffset = 20;
constexpr std::uint32_t EntryRecordNameSize = 32;
constexpr std::uint32_t EntryRecordInfoOffset = 52;
constexpr std::uint32_t EntryRecordInfoSize = 64;
constexpr std::uint32_t EntryRecordHelpFileOffset = 116;

constexpr char EntryName[] = "Vellumark";
constexpr char EntryDescription[] =
    "Easily uninstall and manage your installed applications.";

constexpr const char* DontLoadKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\don't load";
// Our file's name as installed, fixed even if someone renames the file.
constexpr const char* AppletFileName = "Vellupanel.cpl";

// The answer to one message; `record` is the entry record for CplNewInquire
// and unused otherwise.
std::int32_t AnswerControlPanel(std::uint32_t message, void* record);

// Tells the user the main program cannot be started and lists the applet
// under the Control Panel's "don't load" key. Answers 1.
std::int32_t RetireApplet();
