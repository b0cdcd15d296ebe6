#pragma once
// The remote's embedded browser: a web view of 0 x 0 pixels in the corner of its host window,
// never shown. It loads pages, runs their scripts, reports each completed page and hands out
// the page's markup. Pages that open windows get frameless 500 x 400 pop-up windows.
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QWebEngineView>
#include <functional>

class QWidget;

class CWebBrowser : public QObject {
    Q_OBJECT
public:
    // Creates the web engine the first time; the view becomes a child of `host`.
    explicit CWebBrowser(QWidget* host, QObject* parent = nullptr);
    ~CWebBrowser() override;

    void navigate(const QUrl& url);
    void stop();

    // Asks the current page for its root element's outerHTML; `done` runs later on this thread
    // with the markup. It does not run when the page has no document or the browser is gone.
    void fetchOuterHtml(std::function<void(const QString&)> done);

    QWebEngineView* view() const { return view_; }

    // Called before the first web engine object exists: the engine's sandbox cannot run as root.
    static void prepareEnvironment();

signals:
    // A page finished loading (ok false: it could not be loaded).
    void pageComplete(bool ok);
    // A page opened a window (window.open); the window is already shown.
    void popupOpened(QWebEngineView* window);

private:
    friend class CBrowserPage;
    QWebEngineView* openPopup();

    QWidget* host_;
    QPointer<QWebEngineView> view_; // child of the host; deleted first when the browser goes
    bool closing_ = false;
};
