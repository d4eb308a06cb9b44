// Opens a web address or file with the desktop's default application.
#pragma once

#include <string>

namespace Steinberg {

/** Starts the desktop's opener ("xdg-open") for address, detached, without a shell, and returns
 * at once: true when the opener could be started, false for an empty address or when no process
 * could be started. Whether the opener then finds an application is not waited for. */
bool openURLInDefaultApplication (const std::string& address);

} // namespace Steinberg
