#pragma once

#include <string>

#include "lib/config/config_table.h"

namespace tv {

// Loads the settings file; when it is missing, unreadable or empty, shows
// the message box "Impossible de charger le fichier INI : " + path, titled
// with the program's title, and returns false once the user has closed it.
bool LoadSettingsOrExplain(const std::string& path, ConfigTable& config);

// True when there is a display to open a window on (X11, Wayland, or a Qt
// platform chosen explicitly).
bool DisplayAvailable();

// The desktop program: the settings, the window, the tray and the event loop;
// `start_hidden` keeps the window hidden at start as "GENERAL_StartHideAgent"
// does. SIGINT and SIGTERM quit it as the menu does. Returns 1 when the
// settings cannot be loaded; otherwise the process ends in the quit (code 0).
// `instance_socket`, when not empty, is where a second start of the program
// asks this one to show its window (InstanceLock::SocketPath).
int RunDesktop(int argc, char** argv, bool start_hidden = false,
               const std::string& instance_socket = {});

// A second start while an agent runs: asks it, through `instance_socket`, to
// show its window, handing over this start's XDG_ACTIVATION_TOKEN (the
// compositor raises the window only with one, on Wayland). 0 once it has; 1 (with the reason on
// standard error) when it does not answer within 10 s, or runs without a window.
int ShowRunningAgent(int argc, char** argv, const std::string& instance_socket);

}  // namespace tv
