#pragma once

#include <string>

namespace tv {

// One agent per user and installation: a lock file held for the life of the
// process in the user's runtime folder ($XDG_RUNTIME_DIR, or
// /tmp/teskaro-ventaro-<uid> made private to the user when it is not set),
// named after the program's folder. Two agents on one console would fight
// over its link (an IP data logger takes one client; a serial port one
// reader); two users each have their own. The lock goes with the process,
// however it ends.
class InstanceLock {
 public:
  // Takes the lock for the program in `app_dir`; `runtime_dir` empty: the
  // user's runtime folder as above.
  explicit InstanceLock(const std::string& app_dir, std::string runtime_dir = {});
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // True when this process holds the lock.
  bool Held() const { return fd_ >= 0; }
  // Why the lock could not be taken, when no other agent holds it (an
  // unusable runtime folder); empty otherwise.
  const std::string& Problem() const { return problem_; }
  // The local socket on which the running agent is asked to show its window.
  const std::string& SocketPath() const { return socket_path_; }

 private:
  int fd_ = -1;
  std::string problem_;
  std::string socket_path_;
};

}  // namespace tv
