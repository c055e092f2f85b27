#pragma once

#include <QIcon>
#include <QString>

// The pictures of commands and lists: the full-colour icons of the desktop's
// Adwaita theme (freedesktop names such as "document-new"), in every size the
// theme has; a picture drawn by the program when the theme lacks the name, so
// that no button is ever blank.
QIcon AppIcon(const QString &name);
