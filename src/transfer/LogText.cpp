#include "LogText.h"

#include <algorithm>

namespace {

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

} // namespace

namespace LogText {

bool holdsControl(const QString &text)
{
    return std::any_of(text.begin(), text.end(), isControl);
}

QString visible(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (!isControl(c))
            shown += c;
        else if (c == u'\r')
            shown += QLatin1String("\\r");
        else if (c == u'\n')
            shown += QLatin1String("\\n");
        else if (c == u'\t')
            shown += QLatin1String("\\t");
        else
            shown += QStringLiteral("\\x%1").arg(c.unicode(), c.unicode() > 0xFF ? 4 : 2, 16, QLatin1Char('0'));
    }
    return shown;
}

} // namespace LogText
