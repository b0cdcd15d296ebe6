#include "remote/windowpages.h"

#include "platform/dialogs.h"
#include "remote/remoteids.h"
#include "skin/tabsheet.h"

CWindowPages::CWindowPages(QWidget* window, CTabSheet* tab,
                           std::function<catalogue::CatalogueModel*(int page)> rowsForPage)
    : window_(window), tab_(tab), rowsForPage_(std::move(rowsForPage)) {}

int CWindowPages::currentPage() const {
    return tab_->GetCurSel();
}

void CWindowPages::setCurrentPage(int page) {
    tab_->SetCurSel(page);
}

catalogue::CatalogueModel* CWindowPages::pageRows(int page) const {
    return rowsForPage_ ? rowsForPage_(page) : nullptr;
}

int CWindowPages::message(const QString& text, platform::Buttons buttons, platform::Icon icon) {
    return platform::dialogs::messageBox(window_, text, remote::kRemoteTitle, buttons, icon);
}

QString CWindowPages::openFileName(const QString& caption, const QString& filter) {
    return platform::dialogs::openFileName(window_, caption, QString(), filter);
}

QString CWindowPages::saveFileName(const QString& caption, const QString& filter,
                                   const QString& defaultSuffix) {
    return platform::dialogs::saveFileName(window_, caption, QString(), QString(), filter,
                                           defaultSuffix);
}
