// The template settings reader on any bytes: it never fails and always gives
// values its controls can take.
#include "templatesettings.h"

#include <QByteArray>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    const QByteArray input(reinterpret_cast<const char *>(Data), static_cast<qsizetype>(Size));
    const TTemplateSettings settings = ParseTemplateSettings(input);
    const TTemplateControls controls = ControlValues(settings);
    if (controls.Chv < ChvMin || controls.Chv > ChvMax || controls.MinD < MinDMin || controls.MinD > MinDMax ||
        (controls.FreeSpaceRng && (*controls.FreeSpaceRng < FreeSpaceRngMin || *controls.FreeSpaceRng > FreeSpaceRngMax)) ||
        settings.Comments.size() > CommentsMaxLength)
        abort();
    (void)ParseProfileInt(QString::fromLatin1(input.left(64)));
    return 0;
}
