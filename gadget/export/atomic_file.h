#pragma once

#include <string>
#include <string_view>

namespace tv {

// Writes `contents` to the file `path` so that it is either there complete
// or, when anything fails, left as it was: the bytes go to a new temporary
// file in the same folder, are flushed to the disk (fsync), and the
// temporary file is then renamed over `path` (and the folder flushed, so the
// rename survives a power cut). On failure the temporary file is removed and
// `error` (when given) receives the reason in French. The new file gets the
// usual permissions (0666 less the umask).
bool WriteFileAtomically(const std::string& path, std::string_view contents,
                         std::string* error = nullptr);

// The French reason for an errno value ("permission refusée").
std::string FileErrorText(int error_number);

}  // namespace tv
