#include "remote/browser.h"

#include "remote/playing.h"

#include <QKeySequence>
#include <QResizeEvent>
#include <QShortcut>
#include <QSizeGrip>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <unistd.h>

// Every page of the browser, the hidden one and the pop-ups, opens its windows through here.
class CBrowserPage : public QWebEnginePage {
public:
    CBrowserPage(CWebBrowser* browser, QObject* parent)
        : QWebEnginePage(QWebEngineProfile::defaultProfile(), parent), browser_(browser) {}

protected:
    QWebEnginePage* createWindow(WebWindowType) override {
        if (!browser_)
            return nullptr; // the browser is gone: the page's window.open gets nothing
        return browser_->openPopup()->page();
    }

private:
    QPointer<CWebBrowser> browser_;
};

namespace {

// A frameless window can still be resized from its corner grip and closed with Escape.
class CPopupWindow : public QWebEngineView {
public:
    explicit CPopupWindow(QWidget* parent)
        : QWebEngineView(parent), grip_(new QSizeGrip(this)) { // the grip is a child
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(playing::kPopupWindowTitle);
        resize(500, 400);
        auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this); // child
        connect(close, &QShortcut::activated, this, &QWidget::close);
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWebEngineView::resizeEvent(event);
        const QSize grip = grip_->sizeHint();
        grip_->setGeometry(width() - grip.width(), height() - grip.height(), grip.width(),
                           grip.height());
        grip_->raise();
    }

private:
    QSizeGrip* grip_;
};

} // namespace

void CWebBrowser::prepareEnvironment() {
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

CWebBrowser::CWebBrowser(QWidget* host, QObject* parent) : QObject(parent), host_(host) {
    prepareEnvironment();
    view_ = new QWebEngineView(host); // child of the host, removed in the destructor
    view_->setPage(new CBrowserPage(this, view_));
    view_->setGeometry(0, 0, 0, 0);
    view_->setVisible(false);
    connect(view_->page(), &QWebEnginePage::loadFinished, this, &CWebBrowser::pageComplete);
}

CWebBrowser::~CWebBrowser() {
    closing_ = true; // a deleted page answers pending script calls; nobody is listening now
    delete view_.data();
}

void CWebBrowser::navigate(const QUrl& url) {
    view_->setUrl(url);
}

void CWebBrowser::stop() {
    view_->stop();
}

void CWebBrowser::fetchOuterHtml(std::function<void(const QString&)> done) {
    // The application's own script world: a page's scripts cannot stand in for the DOM calls.
    QPointer<CWebBrowser> self(this);
    view_->page()->runJavaScript(
        QStringLiteral("document.documentElement ? document.documentElement.outerHTML : undefined"),
        QWebEngineScript::ApplicationWorld, [self, done = std::move(done)](const QVariant& markup) {
            if (!self || self->closing_ || markup.typeId() != QMetaType::QString)
                return;
            done(markup.toString());
        });
}

QWebEngineView* CWebBrowser::openPopup() {
    auto* window = new CPopupWindow(host_); // owned by the host, deleted when closed
    auto* page = new CBrowserPage(this, window);
    // The pop-up page lives in a local file; without this its pop-up could not load the
    // (http or https) homepage it was opened for.
    page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    window->setPage(page);
    connect(page, &QWebEnginePage::windowCloseRequested, window, &QWidget::close);
    window->show();
    emit popupOpened(window);
    return window;
}
