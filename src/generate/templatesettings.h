// The settings file of a template: a small INI file named after the template
// with its extension replaced by ".zv", holding the template's preferred
// Sensitivity, free space threshold, minimum star distance and a comment.
// It is only ever read.
#pragma once

#include <QString>
#include <optional>

struct TTemplateSettings {
    int Sensitivity = 25;
    int FreeSpaceMode = 235; // 0: free space mode off; otherwise the threshold
    int MinStarsDist = 3;
    QString Comments;
    bool operator==(const TTemplateSettings &) const = default;
};

// The ranges of the window's spin boxes.
inline constexpr int ChvMin = 1, ChvMax = 2000;
inline constexpr int FreeSpaceRngMin = 0, FreeSpaceRngMax = 255;
inline constexpr int MinDMin = 3, MinDMax = 40;
// Windows reads a profile string into a 2048-character buffer.
inline constexpr int CommentsMaxLength = 2047;
// A settings file longer than this is not read at all.
inline constexpr qint64 SettingsMaxFileSize = 1 << 20;

// The settings file that belongs to a template: the template's file name with
// its extension (the part from the last dot of the name) replaced by ".zv";
// a name without a dot simply gains ".zv". A directory in front is kept and
// its dots do not count: "dir.v2/a.b.bmp" -> "dir.v2/a.b.zv".
QString SettingsFileName(const QString &TemplateName);

// Reads section "CONFIG" of a settings file. Never fails and never writes:
// a missing, empty, binary or oversized file, or one without the section,
// gives the defaults, and each key that is missing or unreadable gives its
// own default.
TTemplateSettings ReadTemplateSettings(const QString &SettingsPath);

// Parses settings from file contents already in memory, by the same rules.
TTemplateSettings ParseTemplateSettings(const QByteArray &Contents);

// One integer value as the settings file writes it: "0x1F" or "0X1f" (more
// than two characters) and "$1F" are hexadecimal, anything else is decimal
// with an optional sign. Hexadecimal values up to 8 digits' worth (0xFFFFFFFF)
// are taken as 32-bit two's complement, so "$FFFFFFFF" is -1. Nothing is
// returned for an empty value, trailing garbage or a value beyond 32 bits.
std::optional<int> ParseProfileInt(const QString &Value);

// What the window puts into its controls for a settings file. Each number is
// clamped into its control's range; the free space threshold is set only
// when the file switches free space mode on, otherwise the control keeps the
// value it had.
struct TTemplateControls {
    int Chv = 25;
    bool FreeSp = true;
    std::optional<int> FreeSpaceRng;
    int MinD = 3;
    QString Comments;
    bool operator==(const TTemplateControls &) const = default;
};
TTemplateControls ControlValues(const TTemplateSettings &Settings);
