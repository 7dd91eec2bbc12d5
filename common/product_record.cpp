#include "product_record.h"

#include "registry_strings.h"

std::string ReadProductRecord() {
  return ReadRegString(WindowsServices::LocalMachine, ProductKey,
                       ProductRecordValue);
}

std::string QuotedProgramPath(const std::string& path) {
  if (path.find('"') != std::string::npos) return path;
  return '"' + path + '"';
}
