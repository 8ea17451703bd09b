#include "app/shellregistration.h"

#include <windows.h>
#include <shlobj.h>

#include "classlib/exceptions.h"
#include "classlib/registry.h"
#include "shell/shelllink.h"

namespace {

const char kFileVerb[] = "*\\shell\\ovalis";
const char kFolderVerb[] = "Folder\\shell\\ovalis";

void WriteDefaultValue(TRegistry& registry, const std::string& key, const std::string& value) {
  if (!registry.OpenKey(key, true)) throw ERegistryException("Failed to set data for '" + key + "'");
  registry.WriteString("", value);
  registry.CloseKey();
}

std::string VerbCommand(const std::string& programFile, const char* switchText) {
  return "\"" + programFile + "\" " + switchText + " \"%l\"";
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

void RegisterShellVerbs(const std::string& programFile) {
  TRegistry registry;
  registry.SetRootKey(HKEY_CLASSES_ROOT);
  WriteDefaultValue(registry, kFileVerb, "Find the same files...");
  WriteDefaultValue(registry, std::string(kFileVerb) + "\\command", VerbCommand(programFile, "-L"));
  WriteDefaultValue(registry, kFolderVerb, "Find with Ovalis...");
  WriteDefaultValue(registry, std::string(kFolderVerb) + "\\command", VerbCommand(programFile, "-F"));
}

void UnregisterShellVerbs() {
  TRegistry registry;
  registry.SetRootKey(HKEY_CLASSES_ROOT);
  for (const std::string& key : {std::string(kFolderVerb) + "\\command", std::string(kFolderVerb),
                                 std::string(kFileVerb) + "\\command", std::string(kFileVerb)})
    registry.DeleteKey(key);
}

std::string StartMenuLinkName() {
  std::string folder;
  {
    TRegistry registry(KEY_READ);
    if (registry.OpenKeyReadOnly("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders")) {
      try {
        folder = registry.ReadString("Start Menu");
      } catch (const ERegistryException&) {
        folder.clear();
      }
    }
  }
  if (folder.empty()) {
    char path[MAX_PATH] = {};
    if (SHGetSpecialFolderPathA(nullptr, path, CSIDL_STARTMENU, FALSE)) folder = path;
  }
  if (folder.empty()) return {};
  return folder + "\\Ovalis.lnk";
}

void AddStartMenuLink(const std::string& programFile) {
  const std::string link = StartMenuLinkName();
  if (link.empty() || FileExists(link)) return;
  CreateShellLink(programFile, link, "File Ovalis", "", 0);
  // Saving the link reports no failure of its own.
  if (!FileExists(link)) throw Exception("Cannot create the Start Menu link " + link);
}

void RemoveStartMenuLink() {
  const std::string link = StartMenuLinkName();
  if (!link.empty() && FileExists(link)) DeleteFileA(link.c_str());
}
