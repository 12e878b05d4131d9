#include "gadget/export/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>

namespace tv {
namespace {

std::string FolderOfPath(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A name no other writer uses at the same time: the process, a counter and
// a random number.
std::string TemporaryName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  static thread_local std::mt19937 random{std::random_device{}()};
  const auto slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + "." + name + "." + std::to_string(getpid()) + "." +
         std::to_string(counter.fetch_add(1)) + "." + std::to_string(random() % 100000) + ".tmp";
}

bool Fail(std::string* error, const std::string& what, int error_number) {
  if (error != nullptr) *error = what + " : " + FileErrorText(error_number);
  return false;
}

bool WriteAll(int fd, std::string_view contents) {
  while (!contents.empty()) {
    const ssize_t n = write(fd, contents.data(), contents.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    contents.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

std::string FileErrorText(int error_number) {
  switch (error_number) {
    case EACCES:
    case EPERM:
      return "permission refusée";
    case ENOENT:
      return "dossier introuvable";
    case ENOTDIR:
      return "un élément du chemin n'est pas un dossier";
    case EISDIR:
      return "un dossier porte ce nom";
    case ENOSPC:
    case EDQUOT:
      return "plus de place sur le disque";
    case EROFS:
      return "support en lecture seule";
    case ENAMETOOLONG:
      return "nom trop long";
    case EIO:
      return "erreur d'entrée-sortie";
    default:
      return std::strerror(error_number);
  }
}

bool WriteFileAtomically(const std::string& path, std::string_view contents, std::string* error) {
  if (path.empty() || path.back() == '/') return Fail(error, "nom de fichier vide", ENOENT);
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 10 && fd < 0; ++attempt) {
    temporary = TemporaryName(path);
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return Fail(error, "création du fichier impossible", errno);

  const auto abandon = [&](const std::string& what) {
    const int saved = errno;
    if (fd >= 0) close(fd);
    unlink(temporary.c_str());
    return Fail(error, what, saved);
  };
  if (!WriteAll(fd, contents)) return abandon("écriture impossible");
  if (fsync(fd) != 0) return abandon("écriture sur le disque impossible");
  const int closed = close(fd);
  fd = -1;
  if (closed != 0) return abandon("écriture impossible");
  if (rename(temporary.c_str(), path.c_str()) != 0) return abandon("remplacement impossible");

  // The rename itself reaches the disk with the folder.
  const int folder = open(FolderOfPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return true;
}

}  // namespace tv
