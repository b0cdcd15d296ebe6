#pragma once
// Refreshing the category list of the current page from the update server.
#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <functional>

class CTabSheet;
class QNetworkAccessManager;
class QWidget;

namespace catalogue {
class CatalogueModel;
}

// Keeps count of one download: what the server announced, what arrived, and whether that is a
// whole file that may replace the local one.
class CUpdateAccounting {
public:
    // A download larger than this is no channel list; it is refused rather than written.
    static constexpr qint64 kMaxBody = 4 * 1024 * 1024;

    // The leading decimal digits of a Content-Length value; 0 when there are none. Absurdly
    // long numbers saturate, so they can never be satisfied.
    static qint64 expectedLength(QByteArrayView headerValue);

    explicit CUpdateAccounting(qint64 expected = 0) : expected_(expected) {}

    // Counts bytes received; false once the total passes kMaxBody.
    bool add(qint64 count);
    qint64 total() const { return total_; }
    qint64 expected() const { return expected_; }

    // Whole: the transfer ended without error and, when a length was announced, all of it
    // arrived. Without an announced length the body is whatever came before a clean end.
    bool complete(bool endedWithoutError) const;

private:
    qint64 expected_ = 0;
    qint64 total_ = 0;
};

class CCatalogueUpdater : public QObject {
    Q_OBJECT
public:
    // `listForPage` gives the rows of a category page (0 to 8).
    CCatalogueUpdater(QWidget* mainWindow, CTabSheet* tab,
                      std::function<catalogue::CatalogueModel*(int page)> listForPage);

    // The address the page files are fetched from: profile value UPDATEURL of section ZT3.0 in
    // ZT25.INI, else the built-in server. Page files are appended directly.
    static QString baseAddress();
    static inline const QString kDefaultBase =
        QStringLiteral("http://update.brontavia.example.net/NUV7UPDATE/");

    // Longest wait for a whole download; longer counts as a failed connection.
    void setTimeoutMs(int ms) { timeoutMs_ = ms; }

public slots:
    // Replaces the current category's file with the server's copy and reloads its list.
    void update();

private:
    // Downloads `url` into `path`, replacing the file only with a whole, successful body.
    bool download(const QString& url, const QString& path);

    QWidget* mainWindow_;
    CTabSheet* tab_;
    std::function<catalogue::CatalogueModel*(int)> listForPage_;
    QNetworkAccessManager* network_; // child
    int timeoutMs_ = 30000;
    bool busy_ = false;
};
