#include "templatesettings.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cstdint>

// The settings files follow the Windows private-profile (INI) rules, which is
// what template authors write them for. QSettings is not used: on Linux its
// key lookup is case-sensitive, a value with a comma in it comes back as a
// list, it parses its own escapes and @-types, and it may write the file back.
// The few rules needed are kept here instead:
//   - section and key names ignore letter case;
//   - only the first section of a name counts, and within it the first key
//     of a name, as GetPrivateProfileString does;
//   - blanks around names and values are dropped, then one pair of matching
//     quotes (" or ') around the value;
//   - nothing is ever written.

QString SettingsFileName(const QString &TemplateName)
{
    const qsizetype slash = TemplateName.lastIndexOf(u'/');
    const qsizetype dot = TemplateName.lastIndexOf(u'.');
    const QString base = dot > slash ? TemplateName.left(dot) : TemplateName;
    return base + QStringLiteral(".zv");
}

namespace {

std::optional<int> ParseHex(QStringView Digits)
{
    if (Digits.isEmpty())
        return std::nullopt;
    uint64_t value = 0;
    for (const QChar c : Digits) {
        const char16_t u = c.unicode();
        int digit;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else if (u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        else
            return std::nullopt;
        value = value * 16 + digit;
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

std::optional<int> ParseDecimal(QStringView Text)
{
    bool negative = false;
    if (!Text.isEmpty() && (Text.front() == u'-' || Text.front() == u'+')) {
        negative = Text.front() == u'-';
        Text = Text.mid(1);
    }
    if (Text.isEmpty())
        return std::nullopt;
    const int64_t limit = negative ? int64_t{INT32_MAX} + 1 : int64_t{INT32_MAX};
    int64_t value = 0;
    for (const QChar c : Text) {
        const char16_t u = c.unicode();
        if (u < u'0' || u > u'9')
            return std::nullopt;
        value = value * 10 + (u - u'0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<int>(negative ? -value : value);
}

// The file's bytes as text: by its byte-order mark when it has one, else as
// UTF-8 when that decodes cleanly, else as Latin-1, which takes any byte.
QString DecodeText(const QByteArray &Bytes)
{
    if (const auto encoding = QStringConverter::encodingForData(Bytes)) {
        QStringDecoder decoder(*encoding); // skips the byte-order mark
        const QString text = decoder(Bytes);
        return decoder.hasError() ? QString() : text;
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8(Bytes);
    return utf8.hasError() ? QString::fromLatin1(Bytes) : text;
}

QString StripValue(QString Value)
{
    Value = Value.trimmed();
    if (Value.size() >= 2 && (Value.front() == u'"' || Value.front() == u'\'') &&
        Value.back() == Value.front())
        Value = Value.mid(1, Value.size() - 2);
    return Value;
}

// The keys of the first section named Section, each with the value of its
// first occurrence. Names are compared ignoring letter case.
class TProfileSection {
public:
    TProfileSection(const QString &Text, const QString &Section)
    {
        bool inside = false;
        // Lines end at CR, LF or CR LF; empty lines are skipped anyway.
        qsizetype start = 0;
        while (start <= Text.size()) {
            qsizetype end = start;
            while (end < Text.size() && Text[end] != u'\n' && Text[end] != u'\r')
                ++end;
            const QString line = Text.mid(start, end - start).trimmed();
            start = end + 1;
            if (line.isEmpty() || line.front() == u';')
                continue;
            if (line.front() == u'[') {
                // A header without its closing bracket still starts a section,
                // named by the rest of the line, so that the keys below it
                // never count for the section above.
                const qsizetype close = line.indexOf(u']');
                const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
                if (inside)
                    return; // only the first section of the name counts
                inside = name.compare(Section, Qt::CaseInsensitive) == 0;
                continue;
            }
            if (!inside)
                continue;
            const qsizetype eq = line.indexOf(u'=');
            if (eq <= 0)
                continue;
            const QString key = line.left(eq).trimmed();
            if (key.isEmpty() || Find(key))
                continue;
            FKeys.push_back({key, StripValue(line.mid(eq + 1))});
        }
    }

    const QString *Find(const QString &Key) const
    {
        for (const auto &[key, value] : FKeys)
            if (key.compare(Key, Qt::CaseInsensitive) == 0)
                return &value;
        return nullptr;
    }

    int Integer(const QString &Key, int Default) const
    {
        const QString *value = Find(Key);
        if (!value)
            return Default;
        // Blanks inside the quotes mean nothing around a number either.
        return ParseProfileInt(value->trimmed()).value_or(Default);
    }

private:
    std::vector<std::pair<QString, QString>> FKeys;
};

} // namespace

std::optional<int> ParseProfileInt(const QString &Value)
{
    if (Value.size() > 2 && Value[0] == u'0' && (Value[1] == u'x' || Value[1] == u'X'))
        return ParseHex(QStringView(Value).mid(2));
    if (Value.startsWith(u'$'))
        return ParseHex(QStringView(Value).mid(1));
    return ParseDecimal(Value);
}

TTemplateSettings ParseTemplateSettings(const QByteArray &Contents)
{
    TTemplateSettings settings;
    if (Contents.size() > SettingsMaxFileSize)
        return settings;
    const QString text = DecodeText(Contents);
    // A NUL character never occurs in a text file: this is a binary file
    // that happens to be named like a settings file.
    if (text.contains(QChar(u'\0')))
        return settings;
    const TProfileSection config(text, QStringLiteral("CONFIG"));
    settings.Sensitivity = config.Integer(QStringLiteral("Sensitivity"), settings.Sensitivity);
    settings.FreeSpaceMode = config.Integer(QStringLiteral("FreeSpaceMode"), settings.FreeSpaceMode);
    settings.MinStarsDist = config.Integer(QStringLiteral("MinStarsDist"), settings.MinStarsDist);
    if (const QString *comments = config.Find(QStringLiteral("Comments"))) {
        QString text = *comments;
        if (text.size() > CommentsMaxLength) {
            // Never leave half of a surrogate pair at the end.
            const bool split = text[CommentsMaxLength - 1].isHighSurrogate();
            text.truncate(split ? CommentsMaxLength - 1 : CommentsMaxLength);
        }
        settings.Comments = text;
    }
    return settings;
}

TTemplateSettings ReadTemplateSettings(const QString &SettingsPath)
{
    // Only ordinary files: a FIFO or a device named like a settings file
    // would block the read or never end.
    const QFileInfo info(SettingsPath);
    if (!info.isFile() || info.size() > SettingsMaxFileSize)
        return {};
    QFile file(SettingsPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // The size may have changed since it was looked at: read one byte more
    // than allowed to notice that.
    const QByteArray contents = file.read(SettingsMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return {};
    return ParseTemplateSettings(contents);
}

TTemplateControls ControlValues(const TTemplateSettings &Settings)
{
    TTemplateControls controls;
    controls.Chv = std::clamp(Settings.Sensitivity, ChvMin, ChvMax);
    controls.FreeSp = Settings.FreeSpaceMode != 0;
    if (controls.FreeSp)
        controls.FreeSpaceRng = std::clamp(Settings.FreeSpaceMode, FreeSpaceRngMin, FreeSpaceRngMax);
    controls.MinD = std::clamp(Settings.MinStarsDist, MinDMin, MinDMax);
    controls.Comments = Settings.Comments;
    return controls;
}
