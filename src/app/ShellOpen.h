#pragma once

#include <functional>

class QUrl;

// Opens a file or address with the desktop's program for it (the "open" verb
// of the shell). Tests install a handler so that nothing is launched.
bool ShellOpen(const QUrl &url);

using ShellOpenHandler = std::function<bool(const QUrl &)>;
// Returns the previous handler; an empty handler restores the desktop's.
ShellOpenHandler setShellOpenHandler(ShellOpenHandler handler);
