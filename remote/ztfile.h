#pragma once
// ZT channel files in the remote's window.
#include "remote/ztformat.h"

#include <QObject>
#include <QString>
#include <QUrl>

namespace remote {
class Notifier;
class PageView;
} // namespace remote

// Saving the favourites as a channel file, opening one into the channel-file page, and showing
// the last opened one again at start.
class CZtChannelFiles : public QObject {
    Q_OBJECT
public:
    // The channel-file page shows the file's channels; the choosers and texts go through the
    // notifier.
    static constexpr int kPage = 10;
    CZtChannelFiles(remote::PageView& pages, remote::Notifier& notifier, QObject* parent = nullptr);

public slots:
    void save();
    void open();
    void openAtStart();

signals:
    // An M3U list named programme guides in its header; `imported` when the user just opened it.
    void guideSourcesFound(const QList<QUrl>& sources, bool imported);

private:
    // Fills the list from the file; false (list untouched) when the file is unreadable or empty.
    bool show(const QString& path, bool imported);

    remote::PageView& pages_;
    remote::Notifier& notifier_;
};
