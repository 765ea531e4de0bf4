#include "EditorText.h"

#include "base/ByteText.h"

EditorText EditorText::fromStored(const QString &stored, bool multiLine)
{
    EditorText e;
    e.legacy = ByteText::hasEscapes(stored);
    e.shown = e.legacy ? ByteText::decodeWindows1252(ByteText::encode(stored)) : stored;
    if (multiLine)
        e.shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return e;
}

QString EditorText::toStored(const QString &shown, bool legacy, bool multiLine)
{
    QString text = shown;
    if (multiLine) {
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(u'\n', QLatin1String("\r\n"));
    }
    if (!legacy)
        return text;
    if (const std::optional<QByteArray> bytes = ByteText::encodeWindows1252(text))
        return ByteText::decode(*bytes);
    return text;
}
