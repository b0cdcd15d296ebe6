#pragma once
// What the remote's helpers (catalogue update, favourites, channel files, station playing) need
// of the main window, so that they work without one: its pages and their rows, and the texts
// and questions it shows. The window implements both; unit tests use recorders.
#include "platform/messages.h"

#include <QString>

namespace catalogue {
class CatalogueModel;
}

namespace remote {

class PageView {
public:
    virtual ~PageView() = default;
    // The page the tab sheet shows, -1 for none.
    virtual int currentPage() const = 0;
    virtual void setCurrentPage(int page) = 0;
    // The rows of a page's list (0 to 10), nullptr for a page that does not exist.
    virtual catalogue::CatalogueModel* pageRows(int page) const = 0;
};

class Notifier {
public:
    virtual ~Notifier() = default;
    // A message box over the main window with the remote's caption; returns IDOK, IDYES, ...
    virtual int message(const QString& text, platform::Buttons buttons, platform::Icon icon) = 0;
    // File choosers in the suite's filter form; an empty path when cancelled.
    virtual QString openFileName(const QString& caption, const QString& filter) = 0;
    virtual QString saveFileName(const QString& caption, const QString& filter,
                                 const QString& defaultSuffix) = 0;
};

} // namespace remote
