#pragma once

#include <string>

#include "lib/config/config_table.h"

namespace tv {

// The archive is kept unless "ARCHIVE_Active" is present and is not "1".
bool ArchiveEnabled(const ConfigTable& config);

// The store's folder: "ARCHIVE_Folder" ("~/" at its start is the home
// folder), or, when empty, "teskaro-ventaro" in $XDG_DATA_HOME
// (~/.local/share when that is unset or not an absolute path).
std::string ArchiveFolder(const ConfigTable& config);

// The store's file in ArchiveFolder.
std::string ArchiveStorePath(const ConfigTable& config);

}  // namespace tv
