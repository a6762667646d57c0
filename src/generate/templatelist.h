// The template library: the BMP files in the program's directory.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

// The names (without a directory) of the ordinary, visible files of Dir whose
// name ends in ".bmp" in any letter case. Directories (even one named x.bmp),
// hidden files (dot-files), FIFOs, sockets and devices are left out; a
// symbolic link counts when it leads to an ordinary file. The list is sorted
// by name ignoring letter case, equal names in exact character order, so it
// is the same on every file system. A missing Dir gives an empty list.
QStringList ListTemplates(const QString &Dir);

// Loads Path strictly as a BMP image, whatever its contents look like. False,
// with Image untouched, for a missing file, a directory, a file of another
// format, or a broken or empty BMP.
bool LoadTemplateImage(const QString &Path, QImage &Image);
