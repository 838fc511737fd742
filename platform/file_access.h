#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Environment, folders and files as the settings file needs them. POSIX only, no Qt.
namespace platform {

// The variable's value; nothing when it is not set (an empty value is a value).
std::optional<std::string> EnvironmentValue(const char* name);

enum class PathKind {
  Missing,  // nothing of that name, or a parent that is no folder
  Folder,   // a folder, or a symlink to one
  Other,    // anything else that exists, or something that cannot be looked at
};
PathKind QueryPath(const std::string& path);

// mkdir(path, mode), the umask applying. True when the folder was made.
bool CreateFolder(const std::string& path, unsigned mode);
// Makes each missing folder along the absolute `path`, itself included, with `mode`;
// existing ones are left as they are. True when `path` is a folder afterwards.
bool CreateFolderWithParents(const std::string& path, unsigned mode);

// An open regular file; default-constructed it is not open. Every opening accepts only a
// regular file (symlinks to one are followed): a FIFO, device, folder or socket at the path
// counts as a file that could not be opened, and opening never blocks on one.
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // An existing file, for reading and writing.
  static File OpenReadWrite(const std::string& path);
  // An existing file, for reading only.
  static File OpenReadOnly(const std::string& path);
  // The file for reading and writing, created with mode 0666 (the umask applying) when
  // missing.
  static File CreateReadWrite(const std::string& path);

  bool IsOpen() const { return m_fd >= 0; }
  // Every byte from offset 0 up to the end of the file; nothing when a read fails.
  std::optional<std::string> ReadAll() const;
  // Writes `bytes` from offset 0. True only when every byte was written.
  bool WriteAll(std::string_view bytes) const;
  // Cuts the file (or extends it with zeros) to `length` octets.
  bool Truncate(std::uint64_t length) const;
  void Close();

 private:
  explicit File(int fd) : m_fd(fd) {}
  static File OpenRegular(const std::string& path, int flags);

  int m_fd = -1;
};

}  // namespace platform
