#include "gadget/app/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tv {
namespace {

// A short stable name for the program's folder (FNV-1a, 64 bits).
std::string FolderKey(const std::string& folder) {
  std::uint64_t h = 14695981039346656037ull;
  for (unsigned char c : folder) {
    h ^= c;
    h *= 1099511628211ull;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

// The user's runtime folder; "" with `problem` set when there is none that
// is safe to use (a /tmp folder made by someone else, or a link).
std::string RuntimeDir(std::string* problem) {
  const char* xdg = std::getenv("XDG_RUNTIME_DIR");
  if (xdg != nullptr && xdg[0] == '/') return xdg;
  const std::string dir = "/tmp/teskaro-ventaro-" + std::to_string(getuid());
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    *problem = dir + " : " + std::strerror(errno);
    return {};
  }
  struct stat st {};
  if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
      (st.st_mode & 077) != 0) {
    *problem = dir + " n'est pas un dossier privé de l'utilisateur";
    return {};
  }
  return dir;
}

}  // namespace

InstanceLock::InstanceLock(const std::string& app_dir, std::string runtime_dir) {
  if (runtime_dir.empty()) runtime_dir = RuntimeDir(&problem_);
  if (runtime_dir.empty()) return;
  char* real = realpath(app_dir.c_str(), nullptr);
  const std::string folder = real != nullptr ? real : app_dir;
  std::free(real);
  const std::string base = runtime_dir + "/teskaro-ventaro-" + FolderKey(folder);
  socket_path_ = base + ".sock";
  const std::string lock_path = base + ".lock";
  const int fd = open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    problem_ = lock_path + " : " + std::strerror(errno);
    return;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK) problem_ = lock_path + " : " + std::strerror(errno);
    close(fd);
    return;
  }
  fd_ = fd;
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) close(fd_);
}

}  // namespace tv
