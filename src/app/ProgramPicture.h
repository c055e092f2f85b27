#pragma once

#include <QPixmap>

// The program's own picture (500 x 310): the archive-box emblem, the system
// title and the module name on a sky, with a light lower half on which the
// login and the about box put their controls and lines.
QPixmap ProgramPicture();
