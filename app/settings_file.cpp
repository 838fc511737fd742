#include "app/settings_file.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

#include "platform/cp1252.h"

namespace app {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kFolderName = "Zendravo";
constexpr unsigned kBaseFolderMode = 0700;  // missing XDG base folders: private to the user
constexpr unsigned kFolderMode = 0777;      // the program's own folder: as the umask allows

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimTrailingBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view TrimLeadingBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

// One line without its line end; nothing for a line of only blanks and TABs.
std::optional<SettingsEntry> ParseLine(std::string_view line) {
  line = TrimLeadingBlanks(line);
  if (line.empty()) return std::nullopt;
  SettingsEntry entry;
  if (line.front() == '[') {
    line.remove_prefix(1);
    entry.kind = SettingsEntryKind::Group;
    entry.text = line.substr(0, line.find(']'));
  } else if (line.front() == ';') {
    line.remove_prefix(1);
    if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    entry.kind = SettingsEntryKind::Comment;
    entry.text = line;
  } else {
    const std::size_t equals = line.find('=');
    entry.kind = SettingsEntryKind::Key;
    entry.text = TrimTrailingBlanks(line.substr(0, equals));
    if (equals != std::string_view::npos) entry.value = TrimLeadingBlanks(line.substr(equals + 1));
  }
  return entry;
}

// A = a for A-Z only; bytes from 0x80 on compare exactly, whatever they encode.
bool SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const auto lower = [](char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  };
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The key as the file spells it: code page 1252 text is converted when the file is UTF-8.
std::string FileKey(const SettingsContent& content, std::string_view key) {
  return content.utf8 ? platform::Cp1252ToUtf8(key) : std::string(key);
}

// Index of the first key line matching `fileKey` before the first group line; the entries'
// size when there is none.
std::size_t FindKey(const SettingsContent& content, std::string_view fileKey) {
  for (std::size_t i = 0; i < content.entries.size(); ++i) {
    const SettingsEntry& entry = content.entries[i];
    if (entry.kind == SettingsEntryKind::Group) break;
    if (entry.kind == SettingsEntryKind::Key && SameKey(entry.text, fileKey)) return i;
  }
  return content.entries.size();
}

// The usable base folder named by an environment variable: set, absolute and not the
// filesystem root; trailing slashes dropped.
std::optional<std::string> UsableBase(const char* variable) {
  std::optional<std::string> base = platform::EnvironmentValue(variable);
  if (!base || base->empty() || base->front() != '/') return std::nullopt;
  while (!base->empty() && base->back() == '/') base->pop_back();
  if (base->empty()) return std::nullopt;
  return base;
}

}  // namespace

SettingsContent ParseSettingsText(std::string_view bytes) {
  SettingsContent content;
  if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
    content.utf8 = true;
    bytes.remove_prefix(kUtf8Mark.size());
  }
  // A run of CR and LF is one line break, so empty lines never reach ParseLine.
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = start;
    while (end < bytes.size() && !IsLineEnd(bytes[end])) ++end;
    if (end > start) {
      if (std::optional<SettingsEntry> entry = ParseLine(bytes.substr(start, end - start))) {
        content.entries.push_back(std::move(*entry));
      }
    }
    start = end;
    while (start < bytes.size() && IsLineEnd(bytes[start])) ++start;
  }
  return content;
}

std::string SettingsText(const SettingsContent& content) {
  std::string text;
  if (content.utf8) {
    text += kUtf8Mark;
    text += kLineEnd;
  }
  for (const SettingsEntry& entry : content.entries) {
    switch (entry.kind) {
      case SettingsEntryKind::Group:
        text += '[';
        text += entry.text;
        text += ']';
        break;
      case SettingsEntryKind::Comment:
        text += "; ";
        text += entry.text;
        break;
      case SettingsEntryKind::Key:
        text += entry.text;
        text += " = ";
        text += entry.value;
        break;
    }
    text += kLineEnd;
  }
  // A key that itself begins with the mark must not turn a file without one into UTF-8:
  // an empty line in front keeps the mark away from octet 0.
  if (!content.utf8 && text.starts_with(kUtf8Mark)) text.insert(0, kLineEnd);
  return text;
}

std::int32_t ReadScanfInt(std::string_view text) {
  std::size_t i = 0;
  const auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Magnitude, held at one past the int32 range once it gets there.
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kLimit) magnitude = kLimit;
  }
  if (negative) return static_cast<std::int32_t>(-magnitude);
  return static_cast<std::int32_t>(std::min(magnitude, kLimit - 1));
}

std::string LocateSettingsFolder() {
  std::optional<std::string> base = UsableBase("XDG_CONFIG_HOME");
  if (!base) {
    base = UsableBase("HOME");
    if (!base) return {};
    *base += "/.config";
  }
  const std::string folder = *base + "/" + std::string(kFolderName);
  // Whatever is there already is left alone; whether creating works shows when the file
  // is opened.
  if (platform::QueryPath(folder) == platform::PathKind::Missing) {
    platform::CreateFolderWithParents(*base, kBaseFolderMode);
    platform::CreateFolder(folder, kFolderMode);
  }
  return folder + "/";
}

std::string SettingsFilePath(const std::string& folder) {
  if (folder.empty()) return {};
  return folder + std::string(kSettingsFileName);
}

void OpenSettings(Settings& settings, const std::string& path) {
  CloseSettings(settings);
  settings.open = true;
  settings.readOnly = false;
  if (path.empty()) return;
  settings.file = platform::File::OpenReadWrite(path);
  if (!settings.file.IsOpen()) {
    settings.readOnly = true;
    settings.file = platform::File::OpenReadOnly(path);
  }
  if (!settings.file.IsOpen()) {
    // Counts as missing: created on close if a value is written.
    settings.readOnly = false;
    settings.rememberedPath = path;
    return;
  }
  const std::optional<std::string> bytes = settings.file.ReadAll();
  if (!bytes) {
    // Writing back what was read so far would lose the rest of the file.
    settings.readOnly = true;
    return;
  }
  settings.content = ParseSettingsText(*bytes);
}

std::int32_t ReadSettingInt(const Settings& settings, std::string_view key,
                            std::int32_t fallback) {
  if (!settings.open) return fallback;
  const SettingsContent& content = settings.content;
  const std::size_t index = FindKey(content, FileKey(content, key));
  if (index == content.entries.size()) return fallback;
  return ReadScanfInt(content.entries[index].value);
}

void WriteSettingInt(Settings& settings, std::string_view key, std::int32_t value) {
  if (!settings.open) return;
  char digits[16];
  const auto written = std::to_chars(digits, digits + sizeof digits, value);
  SettingsContent& content = settings.content;
  std::string fileKey = FileKey(content, key);
  std::size_t index = FindKey(content, fileKey);
  if (index == content.entries.size()) {
    // A new key goes after the last entry before the first group line.
    index = 0;
    while (index < content.entries.size() &&
           content.entries[index].kind != SettingsEntryKind::Group) {
      ++index;
    }
    content.entries.insert(content.entries.begin() + static_cast<std::ptrdiff_t>(index),
                           SettingsEntry{});
  }
  SettingsEntry& entry = content.entries[index];
  entry.kind = SettingsEntryKind::Key;
  entry.text = std::move(fileKey);
  entry.value.assign(digits, written.ptr);
  settings.modified = true;
}

void CloseSettings(Settings& settings) {
  if (!settings.open) return;
  if (settings.modified && !settings.readOnly) {
    if (!settings.file.IsOpen() && !settings.rememberedPath.empty()) {
      settings.file = platform::File::CreateReadWrite(settings.rememberedPath);
    }
    if (settings.file.IsOpen()) {
      const std::string text = SettingsText(settings.content);
      // A write that stopped part way must not also cut away the rest of the old content.
      if (settings.file.WriteAll(text)) settings.file.Truncate(text.size());
    }
  }
  settings = Settings{};
}

}  // namespace app
