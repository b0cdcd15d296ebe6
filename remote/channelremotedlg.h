#pragma once
// The channel remote's main window.
#include "platform/timers.h"
#include "platform/windowdirectory.h"
#include "remote/windowpages.h"
#include "skin/skindialog.h"

#include <QMap>
#include <memory>

class CCatalogueUpdater;
class CFavorites;
class CFavoritesPanel;
class CRemoteGuide;
class CSearchPanel;
class CSkinButton;
class CStationHost;
class CStationPlayer;
class CTabSheet;
class CZtChannelFiles;
class QTreeView;

namespace catalogue {
class CatalogueModel;
}

class CChannelRemoteDlg : public CSkinDialog, public platform::MessageHandler {
    Q_OBJECT
public:
    explicit CChannelRemoteDlg(QWidget* parent = nullptr);
    ~CChannelRemoteDlg() override;

    // Runs the initialisation sequence. False when another remote is already running: this
    // instance must then end without ever being shown.
    bool OnInitDialog();
    bool isSecondInstance() const { return secondInstance_; }

    std::optional<std::int64_t> handleMessage(std::uint32_t msg, std::uint64_t wParam,
                                              std::int64_t lParam) override;

    CSkinButton* button(int id) const { return buttons_.value(id); }
    QTreeView* list(int id) const { return lists_.value(id); }
    catalogue::CatalogueModel* rows(int id) const;
    CTabSheet* tabSheet() const { return tab_; }
    int remoteAttachedState() const { return attached_; }
    CStationPlayer* stationPlayer() const;
    CFavorites* favorites() const;
    CCatalogueUpdater* updater() const { return updater_; }
    CRemoteGuide* programmeGuide() const { return guide_; }
    CSearchPanel* searchPanel() const { return search_; }

    // Ends the program (the dialog's end).
    void done(int result) override;
    void accept() override {} // Enter never ends the remote
    void reject() override {} // nor does Escape

signals:
    void finished_();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void onHide();
    void onExit();
    void onToggleAttached();
    void onLogo();
    void onTimer(int id);
    void startMiniBrowser();
    void onSettings();

    QMap<int, CSkinButton*> buttons_;
    QMap<int, QTreeView*> lists_;
    CTabSheet* tab_ = nullptr;
    platform::WindowTimers timers_;
    bool secondInstance_ = false;
    int attached_ = 0; // 0 attached to the player, 1 detached

    // What the helpers see of this window; they hold on to it, so it goes after them.
    std::unique_ptr<CWindowPages> pages_;
    // Owned by this window (Qt children).
    CStationHost* station_ = nullptr;
    CFavoritesPanel* favorites_ = nullptr;
    CZtChannelFiles* zt_ = nullptr;
    CCatalogueUpdater* updater_ = nullptr;
    CRemoteGuide* guide_ = nullptr;
    CSearchPanel* search_ = nullptr;
};
