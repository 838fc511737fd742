#include "platform/file_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace platform {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;  // octets per read() call

}  // namespace

std::optional<std::string> EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

PathKind QueryPath(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::Other;
  }
  // Permission and I/O errors say nothing about what is there: treat it as taken.
  return (errno == ENOENT || errno == ENOTDIR) ? PathKind::Missing : PathKind::Other;
}

bool CreateFolder(const std::string& path, unsigned mode) {
  return ::mkdir(path.c_str(), static_cast<mode_t>(mode)) == 0;
}

bool CreateFolderWithParents(const std::string& path, unsigned mode) {
  if (path.empty() || path.front() != '/') return false;
  for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string prefix = path.substr(0, end);
    if (QueryPath(prefix) == PathKind::Missing && !CreateFolder(prefix, mode) && errno != EEXIST) {
      return false;
    }
    if (end == std::string::npos) break;
  }
  return QueryPath(path) == PathKind::Folder;
}

File::~File() { Close(); }

File::File(File&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    m_fd = std::exchange(other.m_fd, -1);
  }
  return *this;
}

File File::OpenRegular(const std::string& path, int flags) {
  // O_NONBLOCK: opening a FIFO without a writer, or some devices, would otherwise wait.
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
  if (fd < 0) return File();
  File file(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) file.Close();
  return file;
}

File File::OpenReadWrite(const std::string& path) { return OpenRegular(path, O_RDWR); }

File File::OpenReadOnly(const std::string& path) { return OpenRegular(path, O_RDONLY); }

File File::CreateReadWrite(const std::string& path) {
  return OpenRegular(path, O_RDWR | O_CREAT);
}

std::optional<std::string> File::ReadAll() const {
  if (m_fd < 0) return std::nullopt;
  std::string bytes;
  for (;;) {
    const std::size_t used = bytes.size();
    bytes.resize(used + kReadChunk);
    const ssize_t got = ::pread(m_fd, bytes.data() + used, kReadChunk, static_cast<off_t>(used));
    if (got < 0 && errno == EINTR) {
      bytes.resize(used);
      continue;
    }
    if (got < 0) return std::nullopt;
    bytes.resize(used + static_cast<std::size_t>(got));
    if (got == 0) return bytes;
  }
}

bool File::WriteAll(std::string_view bytes) const {
  if (m_fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put =
        ::pwrite(m_fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

bool File::Truncate(std::uint64_t length) const {
  if (m_fd < 0) return false;
  int result;
  do {
    result = ::ftruncate(m_fd, static_cast<off_t>(length));
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

void File::Close() {
  if (m_fd >= 0) ::close(std::exchange(m_fd, -1));
}

}  // namespace platform
