#include "platform/Files.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "platform/Errors.h"

namespace platform {
namespace {

[[noreturn]] void Fail(const char* what, const std::string& path, int error) {
  throw IoError(std::string(what) + " \"" + path + "\". " + std::strerror(error));
}

// Writes all of `bytes`, retrying after short writes.
bool WriteFully(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(std::size_t(n));
  }
  return true;
}

std::string Folder(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

bool IsFolder(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

// `folder` without "." and ".." steps or a trailing separator, for comparing.
std::filesystem::path Normal(const std::string& folder) {
  std::filesystem::path path = std::filesystem::path(folder).lexically_normal();
  if (!path.has_filename() && path.has_parent_path() && path != path.root_path()) path = path.parent_path();
  return path;
}

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// The system's randomness; where it has none, the process and the clock,
// which O_EXCL keeps safe if guessable.
std::uint64_t Seed() {
  try {
    std::random_device device;
    return (std::uint64_t(device()) << 32) ^ device();
  } catch (const std::exception&) {
    return std::uint64_t(::getpid()) * 0x9E3779B97F4A7C15ull ^
           std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
  }
}

// Makes a new file beside `path` under a name no one else has: the name ends
// in random letters, and O_EXCL refuses any name that exists, a link
// included, so nothing planted there is followed and no other copy of the
// game shares the file. This is mkstemp's way, but with the usual mode of a
// new file (0666 less the umask) instead of mkstemp's private 0600, so that
// a new record is made as it always was. Answers the descriptor and the
// name, or -1 with errno set.
int CreateUniqueFile(const std::string& path, std::string& name) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::mt19937_64 random(Seed());
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = path + ".tmp-";
    for (int i = 0; i < 10; ++i) name += kLetters[pick(random)];
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;  // errno is EEXIST
}

// The home folder from the user database, for a process started without
// HOME; empty when there is none.
std::string HomeFromPasswd() {
  std::vector<char> buffer(16384);
  passwd entry {};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir)
    return "";
  return found->pw_dir;
}

// The player's own data folder ($XDG_DATA_HOME, else ~/.local/share, HOME
// from the user database when unset); empty when none is known. A relative
// XDG_DATA_HOME is ignored, as the base directory rules ask.
std::string UserDataFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && data[0] == '/') return WithSeparator(data);
  const char* home = std::getenv("HOME");
  std::string folder = home ? home : HomeFromPasswd();
  if (!folder.empty() && folder[0] == '/') return WithSeparator(folder) + ".local/share/";
  return "";
}

}  // namespace

void ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  struct stat old {};
  const bool exists = ::stat(path.c_str(), &old) == 0;
  std::string temp;
  const int fd = CreateUniqueFile(path, temp);
  if (fd < 0) Fail("Cannot create file", path, errno);
  int error = 0;
  if (exists && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
  if (!WriteFully(fd, bytes) || ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp.c_str());
    Fail("Cannot write file", path, error);
  }
  // Make the rename itself durable; the file is already in place either way.
  const int dir = ::open(Folder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

// Decided from the mode as well as from access(): root may write any file,
// but a file nobody may write is read-only for root too.
bool IsReadOnlyFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

std::string ExecutableFolder() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "./";
  return exe.parent_path().string() + "/";
}

}  // namespace platform

namespace platform {

std::string FindGameFolder(const std::string& programFolder) {
  const std::filesystem::path own(programFolder);
  if (IsFolder(own / "dat") && IsFolder(own / "cg")) return programFolder;
  const std::filesystem::path installed = (own / "../share/kesto").lexically_normal();
  if (IsFolder(installed / "dat") && IsFolder(installed / "cg")) return WithSeparator(installed.string());
  return programFolder;
}

std::string FindRecordFolder(const std::string& gameFolder, const std::string& programFolder) {
  const std::string own = gameFolder + "/dat/";
  // Decided from where the game folder is, not from access(): root may
  // write in the package's folder, and must not.
  const std::filesystem::path game = Normal(gameFolder), program = Normal(programFolder);
  const bool installed = game != program && game == Normal(programFolder + "/../share/kesto");
  if (!installed && ::access(own.c_str(), W_OK) == 0) return own;
  const std::string data = UserDataFolder();
  if (data.empty()) return own;
  const std::string folder = data + "kesto/";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!IsFolder(folder)) return own;
  const std::string record = folder + "my.dat";
  if (!std::filesystem::exists(record, error)) {
    // A failed copy leaves no record: the start reports it and the close
    // writes a new one, as with a missing dat/my.dat.
    std::filesystem::copy_file(own + "my.dat", record, error);
    if (!error) std::filesystem::permissions(record, std::filesystem::perms::owner_write,
                                             std::filesystem::perm_options::add, error);
  }
  return folder;
}

}  // namespace platform
