#pragma once

#include <QObject>
#include <QUrl>

#include <functional>

class QSplitter;
class QWebEngineView;
class QWidget;

// The entry's preview inside the main window: a web view in the pane below
// the editor, made at the first preview so that start-up does not pay for
// the engine. A closed pane opens to half the splitter. Where the engine
// cannot show the file (or the build has none), the desktop's browser does.
class PreviewPane : public QObject {
public:
    // host is the pane's widget (with a layout), splitter the one that holds it.
    PreviewPane(QWidget *host, QSplitter *splitter, std::function<void(const QString &)> log, QObject *parent);

    void show(const QUrl &url);
    // The address shown last.
    const QUrl &url() const { return m_url; }

private:
    void fallBack();

    QWidget *m_host;
    QSplitter *m_splitter;
    std::function<void(const QString &)> m_log;
    QWebEngineView *m_view = nullptr;
    QUrl m_url;
};
