// The extended attributes, access control lists and inode flags (chattr's)
// of an open file, as the save needs them to replace a file by a new one
// that differs in nothing but its bytes and inode. Internal to the universe
// file library (gamefile.cpp), Unix only; the attributes and flags are read
// and given on Linux, elsewhere a file has none.
#pragma once

#include <QByteArray>
#include <map>
#include <sys/stat.h>

// The extended attributes of a file by name, its access control lists among
// them. The security label, which the system gives every file of a folder
// alike, is left out.
using TAttributes = std::map<QByteArray, QByteArray>;

// The attributes of the file Fd; none on a file system without them. False
// when they cannot be read.
bool ReadAttributes(int Fd, TAttributes &Attributes);

// Makes the attributes of the file Fd exactly Attributes.
bool GiveAttributes(int Fd, const TAttributes &Attributes);

// The inode flags (chattr's); 0 where the file system has none.
int InodeFlags(int Fd);

// Whether Flags hold nothing but how the file system keeps the data, which
// no new file can tell apart.
bool OnlyOrdinaryFlags(int Flags);

// Whether the folder Fd is append-only or immutable; such a folder refuses
// a rename into it and the removal of a file.
bool FolderRefusesRename(int Fd);

// Whether this process can give a new file the owner and group of Info and
// every one of Attributes.
bool MayGiveOwnerAndAttributes(const struct stat &Info, const TAttributes &Attributes);
