#include "PreviewPane.h"

#include <QDesktopServices>
#include <QLayout>
#include <QSplitter>
#include <QWidget>

#ifdef WREN_WEBENGINE
#include <QWebEnginePage>
#include <QWebEngineView>
#endif

PreviewPane::PreviewPane(QWidget *host, QSplitter *splitter, std::function<void(const QString &)> log, QObject *parent)
    : QObject(parent), m_host(host), m_splitter(splitter), m_log(std::move(log))
{
}

void PreviewPane::fallBack()
{
    m_log(QStringLiteral("The built-in browser could not show the preview; opening it in the desktop's browser"));
    QDesktopServices::openUrl(m_url);
}

void PreviewPane::show(const QUrl &url)
{
    m_url = url;
#ifdef WREN_WEBENGINE
    if (!m_view) {
        m_view = new QWebEngineView;
        m_view->setObjectName(QStringLiteral("webView"));
        m_host->layout()->setContentsMargins(0, 0, 0, 0);
        m_host->layout()->addWidget(m_view);
        connect(m_view, &QWebEngineView::loadFinished, this, [this](bool ok) {
            if (!ok && m_view->url() == m_url)
                fallBack();
        });
        connect(m_view->page(), &QWebEnginePage::renderProcessTerminated, this,
                [this](QWebEnginePage::RenderProcessTerminationStatus status) {
                    if (status != QWebEnginePage::NormalTerminationStatus)
                        fallBack();
                });
    }
    if (m_splitter->sizes().value(1) == 0) {
        const int total = m_splitter->height();
        m_splitter->setSizes({total / 2, total - total / 2});
    }
    m_view->load(url);
#else
    (void)m_host;
    (void)m_splitter;
    QDesktopServices::openUrl(url);
#endif
}
