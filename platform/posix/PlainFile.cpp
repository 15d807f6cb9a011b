#include "platform/PlainFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

std::unique_ptr<PlainFile> PlainFile::Open(const std::string& path, std::uint64_t limit, std::string& reason) {
  // O_NONBLOCK: a FIFO opens at once instead of waiting for a writer, a
  // device without waiting for its carrier; O_NOCTTY: a terminal never
  // becomes ours.
  int fd;
  do fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    reason = std::strerror(errno);
    return nullptr;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    reason = std::strerror(errno);
  } else if (S_ISDIR(info.st_mode)) {
    reason = std::strerror(EISDIR);
  } else if (!S_ISREG(info.st_mode)) {
    reason = kNotRegularFile;
  } else if (info.st_size < 0 || std::uint64_t(info.st_size) > limit) {
    reason = std::strerror(EFBIG);
  } else {
    return std::unique_ptr<PlainFile>(new PlainFile(fd, std::uint64_t(info.st_size)));
  }
  ::close(fd);
  return nullptr;
}

PlainFile::~PlainFile() { ::close(int(handle_)); }

std::size_t PlainFile::ReadAt(std::uint64_t offset, void* into, std::size_t count, std::string* reason) {
  if (offset >= size_) return 0;
  if (count > size_ - offset) count = std::size_t(size_ - offset);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::pread(int(handle_), static_cast<char*>(into) + done, count - done, off_t(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && reason) *reason = std::strerror(errno);
    if (n <= 0) break;
    done += std::size_t(n);
  }
  return done;
}

}  // namespace platform
