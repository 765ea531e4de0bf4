#include "WindowCommands.h"

#include "base/DataDirectory.h"
#include "ui/Prompt.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QStringList>
#include <QUrl>

namespace WindowCommands {

void browseSite(QWidget *parent, const QString &webSite)
{
    if (webSite.isEmpty() || webSite.compare(QLatin1String("http://"), Qt::CaseInsensitive) == 0) {
        Prompt::inform(parent, QStringLiteral("Web site not defined for current journal!"), QStringLiteral("Error"));
        return;
    }
    QDesktopServices::openUrl(QUrl(webSite, QUrl::TolerantMode));
}

void readMe(QWidget *parent, const QString &dataDir)
{
    const QString program = QCoreApplication::applicationFilePath();
    const QString path = DataDirectory::readMePath(dataDir, program);
    if (path.isEmpty()) {
        Prompt::inform(parent,
                       QStringLiteral("Wren.Txt file does not exist in the Wren directory.\r\nLooked for %1")
                           .arg(DataDirectory::readMeCandidates(dataDir, program).join(QStringLiteral(" and "))),
                       QStringLiteral("Error"));
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace WindowCommands
