#pragma once

#include <string>

namespace tv {

// The folder of the running executable, with a trailing "/". The settings
// file and the language pack are looked for there, never in the current
// directory.
const std::string& AppDir();
// "Teskaro Ventaro".
const std::string& AppName();
// "1.0".
const std::string& AppVersion();
// "Teskaro Ventaro v1.0": window title, message box caption, balloon title.
const std::string& AppTitle();
// AppDir() + "tsk_vnt.ini".
const std::string& IniPath();
// AppDir() + "langue.pack".
const std::string& LanguagePackPath();

// The folder part of an executable path, with a trailing "/" ("./" when the
// path names no folder).
std::string FolderOf(const std::string& path);

}  // namespace tv
