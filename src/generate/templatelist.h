// The template library: the BMP files in the program's directory and in the
// user's own template folder.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <vector>

// The names (without a directory) of the ordinary, visible files of Dir whose
// name ends in ".bmp" in any letter case. Directories (even one named x.bmp),
// hidden files (dot-files), FIFOs, sockets and devices are left out; a
// symbolic link counts when it leads to an ordinary file. The list is sorted
// by name ignoring letter case, equal names in exact character order, so it
// is the same on every file system. A missing Dir gives an empty list.
QStringList ListTemplates(const QString &Dir);

struct TTemplateEntry {
    QString Name; // file name as the list shows it
    QString Path; // full path of the .bmp file
    bool operator==(const TTemplateEntry &) const = default;
};

// The templates of each folder in turn (each folder's own order as
// ListTemplates gives it); a name already listed from an earlier folder is
// left out. Names are compared ignoring letter case: "Spiral.bmp" and
// "spiral.BMP" are different files on Linux, but two entries that look alike
// would leave the player guessing which one is meant, so the earlier folder's
// file wins. Two such names within one folder are both listed, as
// ListTemplates gives them. A missing or unreadable folder, or an empty
// string, contributes nothing.
std::vector<TTemplateEntry> ListTemplates(const QStringList &Dirs);

// The user's own template folder: the application's data folder plus
// "/templates" (~/.local/share/zorvane/templates when the application name is
// "zorvane"). Nothing is created there. Empty when the system names no data
// folder.
QString UserTemplateDir();

// Loads Path strictly as a BMP image, whatever its contents look like. False,
// with Image untouched, for a missing file, a directory, a file of another
// format, or a broken, empty or cut-off BMP. Whether a bitmap is cut off is
// judged from the pixel data its headers describe, never from the file size
// the file header declares.
bool LoadTemplateImage(const QString &Path, QImage &Image);
// The same, with why it cannot be loaded in a few words ("its picture is
// cut off"); empty when it was.
QString LoadTemplateImageOrSayWhy(const QString &Path, QImage &Image);
