#include "remote/browser.h"

#include "remote/playing.h"

#include <QGuiApplication>
#include <QKeySequence>
#include <QScreen>
#include <QShortcut>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <algorithm>
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

// A normal framed window, so the user can always move and close it, whatever the page shows
// (an error page included); Escape closes it too. Its title follows the page's.
class CPopupWindow : public QWebEngineView {
public:
    explicit CPopupWindow(QWidget* parent) : QWebEngineView(parent) {
        setWindowFlags(Qt::Window);
        setAttribute(Qt::WA_DeleteOnClose);
        setObjectName(playing::kPopupWindowTitle);
        setWindowTitle(playing::kPopupWindowTitle);
        resize(500, 400);
        auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this); // child
        connect(close, &QShortcut::activated, this, &QWidget::close);
        connect(this, &QWebEngineView::titleChanged, this, [this](const QString& title) {
            // Until the page names itself (or when its title is just its address) the window
            // keeps the name the page asked for.
            const bool named = !title.trimmed().isEmpty() && title != url().toString() &&
                               !title.startsWith(QLatin1String("file:"));
            setWindowTitle(named ? title : playing::kPopupWindowTitle);
        });
    }

    // Beside the window that opened it, on the same screen: right of it where it fits, else
    // left, and always wholly on the screen.
    void placeBeside(const QWidget* opener) {
        if (!opener)
            return;
        const QRect from = opener->frameGeometry();
        const QScreen* screen =
            opener->screen() ? opener->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        int x = from.right() + 1;
        if (x + width() > area.right() + 1)
            x = from.left() - width();
        x = std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - width()));
        const int y =
            std::clamp(from.top(), area.top(), std::max(area.top(), area.bottom() + 1 - height()));
        move(x, y);
    }
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
    window->placeBeside(host_ ? host_->window() : nullptr);
    window->show();
    emit popupOpened(window);
    return window;
}
