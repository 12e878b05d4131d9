#include "lib/common/thread_name.h"

#include <pthread.h>

#include <string>

namespace tv {

void NameThisThread(std::string_view name) {
  // The kernel keeps 15 bytes and the terminating zero.
  const std::string cut(name.substr(0, 15));
  pthread_setname_np(pthread_self(), cut.c_str());
}

}  // namespace tv
