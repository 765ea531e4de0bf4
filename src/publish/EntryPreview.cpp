#include "EntryPreview.h"

#include "base/AtomicFile.h"
#include "base/FileNamePart.h"
#include "publish/MarkdownText.h"
#include "publish/PageText.h"

#include <QDir>
#include <QFile>

QString WritePreview(const QString &stagingDir, const QString &entryText, bool autoinsertTag,
                     const QStringList &pendingFiles, EntryFormat format)
{
    // The editor's lines end in "\n"; entries as stored end them in CR LF.
    QString stored = entryText;
    stored.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    stored.replace(u'\n', QLatin1String("\r\n"));
    QByteArray body;
    if (format == EntryFormat::Markdown) {
        MarkdownText::AppendHtml(stored.toUtf8(), body);
        // The converter ends its last block with a line break; the file's
        // middle line ends with the one written after it.
        if (body.endsWith('\n'))
            body.chop(1);
    } else {
        body = PageText::InsertParagraphs(stored.toUtf8(), autoinsertTag);
    }
    QString path = QDir(stagingDir).filePath(QStringLiteral("temp.htm"));
    AtomicFile::write(path, "<HTML><BODY>\r\n" + body + "\r\n</BODY></HTML>\r\n", AtomicFile::Durability::Replace);
    for (const QString &file : pendingFiles) {
        const QString name = FileNamePart(file);
        if (name.isEmpty() || name == QLatin1String("temp.htm"))
            continue;
        const QString target = QDir(stagingDir).filePath(name);
        QFile::remove(target);
        QFile::copy(file, target);
    }
    return path;
}
