#pragma once

#include <QByteArray>
#include <QString>

namespace tv {

// True when the program runs on a Wayland compositor (Qt's wayland
// platform), where a client can neither place its windows nor raise one
// without the compositor's leave (an xdg-activation token).
bool OnWayland();

// An xdg-activation token as handed over by a host or a second start: kept
// when it is a short run of printable characters without spaces, "" otherwise.
QString CheckedActivationToken(const QByteArray& token);

}  // namespace tv
