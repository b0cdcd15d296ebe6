#pragma once
// ZT channel files in the remote's window.
#include "remote/ztformat.h"

#include <QObject>
#include <QString>

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

private:
    // Fills the list from the file; false (list untouched) when the file is unreadable or empty.
    bool show(const QString& path);

    remote::PageView& pages_;
    remote::Notifier& notifier_;
};
