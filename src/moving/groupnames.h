// The text of one group on the Stars moving panel: planet names separated by
// commas, with blanks around each name not counting.
#pragma once

#include <QString>
#include <QStringList>

// Text without leading and trailing spaces and control characters (every
// character up to and including the space, code 32).
QString TrimBlanks(const QString &Text);

// The names of a group text, trimmed, in the order written. Always at least
// one element: an empty text gives one empty name, two commas in a row give
// an empty name between them, a trailing comma adds nothing. After each comma
// only the next 255 characters are looked at.
QStringList SplitNames(const QString &Text);

// Text with Name added: directly when the text is blank or ends in a comma
// (blanks after it allowed), else after a comma with no space. An empty Name
// leaves the text as it is. The text itself is not trimmed.
QString AppendName(const QString &Text, const QString &Name);

// The refusal of a name that is none of Known (the universe's planet
// names): "Unknown star name in line #Group: "Name"", followed by up to three
// of the known names within two edits of it (letter case ignored), nearest
// first: ' (did you mean "Lawrence"?)'.
QString UnknownNameMessage(int Group, const QString &Name, const QStringList &Known);
