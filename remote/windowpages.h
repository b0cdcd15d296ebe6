#pragma once
// The main window's side of the helpers' interfaces: its tab sheet, the list controls of its
// pages, and message boxes and file choosers over it.
#include "remote/remoteview.h"

#include <functional>

class CTabSheet;
class QWidget;

class CWindowPages : public remote::PageView, public remote::Notifier {
public:
    // `rowsForPage` gives the rows of a page (0 to 10), nullptr for none.
    CWindowPages(QWidget* window, CTabSheet* tab,
                 std::function<catalogue::CatalogueModel*(int page)> rowsForPage);

    int currentPage() const override;
    void setCurrentPage(int page) override;
    catalogue::CatalogueModel* pageRows(int page) const override;

    int message(const QString& text, platform::Buttons buttons, platform::Icon icon) override;
    QString openFileName(const QString& caption, const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& filter,
                         const QString& defaultSuffix) override;

private:
    QWidget* window_;
    CTabSheet* tab_;
    std::function<catalogue::CatalogueModel*(int)> rowsForPage_;
};
