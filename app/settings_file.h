#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_access.h"

// The per-user settings file, an INI-style text file with one key the program uses
// ("HideTip"). Texts are single-byte strings, kept byte for byte; a file may hold anything
// (binary bytes, NULs, no line end at all) and is never changed unless a value was written.
namespace app {

inline constexpr std::string_view kSettingsFileName = "Kerbo.ini";
inline constexpr std::string_view kHideTipKey = "HideTip";

enum class SettingsEntryKind {
  Group,    // "[" + text + "]"
  Comment,  // "; " + text
  Key,      // text + " = " + value
};

struct SettingsEntry {
  SettingsEntryKind kind = SettingsEntryKind::Key;
  std::string text;   // group name, comment text or key
  std::string value;  // key lines only
  bool operator==(const SettingsEntry&) const = default;
};

struct SettingsContent {
  bool utf8 = false;  // the file began with EF BB BF; kept, and rewritten with an empty line after it
  std::vector<SettingsEntry> entries;
  bool operator==(const SettingsContent&) const = default;
};

// The file's bytes as entries: lines end at any run of CR and LF, blank lines are not kept.
SettingsContent ParseSettingsText(std::string_view bytes);
// The bytes written for `content`, each entry a line ended by CR LF. Reading them back
// with ParseSettingsText gives `content` again.
std::string SettingsText(const SettingsContent& content);
// A value read the way "%d" scans it: leading white space, an optional sign, the digits up
// to the first other character; no digits give 0. Values beyond 32 bits are clamped.
std::int32_t ReadScanfInt(std::string_view text);

// The open settings. There is at most one set open at a time.
struct Settings {
  bool open = false;
  platform::File file;         // not open when no file could be opened
  bool readOnly = false;       // the file is open for reading only, or reading it failed:
                               // nothing is written back
  std::string rememberedPath;  // kept when no file could be opened, to create it on close
  bool modified = false;       // set by every WriteSettingInt since OpenSettings
  SettingsContent content;
};

// The folder that holds the settings file, ending in "/": "Zendravo/" inside
// $XDG_CONFIG_HOME (when absolute), else inside $HOME/.config. It and any missing parents
// are created when nothing of that name exists. Empty when there is no usable home; the
// filesystem root never counts as one.
std::string LocateSettingsFolder();
// SettingsFolder + "Kerbo.ini", or empty for an empty folder (nothing to open or create).
std::string SettingsFilePath(const std::string& folder);

// Closes what was open, then opens `path` for reading and writing, else for reading only,
// and loads its entries. A file that cannot be opened counts as missing; it is not created.
void OpenSettings(Settings& settings, const std::string& path);
// The key's value; `fallback` when no settings are open or the key is not found before the
// first group line. Keys compare without regard to the case of A-Z.
std::int32_t ReadSettingInt(const Settings& settings, std::string_view key,
                            std::int32_t fallback);
// Changes the entries in memory only; the file is written by CloseSettings.
void WriteSettingInt(Settings& settings, std::string_view key, std::int32_t value);
// Writes the entries back when anything was written since OpenSettings and the file can
// be written (creating a missing file), then closes. An unmodified file keeps its exact bytes.
void CloseSettings(Settings& settings);

}  // namespace app
