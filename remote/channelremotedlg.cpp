#include "remote/channelremotedlg.h"

#include "platform/automation.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/screenfit.h"
#include "platform/shell.h"
#include "remote/catalogue.h"
#include "remote/catalogueupdate.h"
#include "remote/favorites.h"
#include "remote/favoritespanel.h"
#include "remote/remoteguide.h"
#include "remote/remoteids.h"
#include "remote/searchpanel.h"
#include "remote/settingsdlg.h"
#include "remote/stationhost.h"
#include "remote/suiteconfig.h"
#include "remote/ztfile.h"
#include "skin/skinbutton.h"
#include "skin/skinpicture.h"
#include "skin/tabsheet.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QIcon>
#include <QScreen>
#include <QTreeView>

using namespace remote;

namespace {

// Where the remote keeps itself and the chat it places: the desktop's usable area.
QRect desktopArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableVirtualGeometry() : QRect();
}

} // namespace

CChannelRemoteDlg::CChannelRemoteDlg(QWidget* parent) : CSkinDialog(parent) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setDragEnabled(true);
    setDialogKeysIgnored(true);
    connect(&timers_, &platform::WindowTimers::fired, this, &CChannelRemoteDlg::onTimer);
    createControls();
}

CChannelRemoteDlg::~CChannelRemoteDlg() {
    // The helpers hold on to pages_, which goes before this window's children.
    delete favorites_;
    delete updater_;
    delete zt_;
}

catalogue::CatalogueModel* CChannelRemoteDlg::rows(int id) const {
    return catalogue::modelOf(lists_.value(id));
}

CStationPlayer* CChannelRemoteDlg::stationPlayer() const {
    return station_->player();
}

CFavorites* CChannelRemoteDlg::favorites() const {
    return favorites_ ? favorites_->commands() : nullptr;
}

void CChannelRemoteDlg::createControls() {
    for (const ButtonDef& b : kButtons) {
        auto* btn = new CSkinButton(QString::fromUtf8(b.label), this, b.id);
        buttons_.insert(b.id, btn);
        if (b.normal == 0) {
            btn->hide();
            btn->setEnabled(false);
        }
    }
    tab_ = new CTabSheet(this);
    platform::setControlId(tab_, kTabControl);
    for (const PageDef& p : kPages)
        lists_.insert(p.listId, catalogue::createListControl(this, p.listId));
    for (int id : kHiddenLists) {
        QTreeView* l = catalogue::createListControl(this, id);
        l->hide();
        l->setEnabled(false);
        lists_.insert(id, l);
    }

    pages_ =
        std::make_unique<CWindowPages>(this, tab_, [this](int page) -> catalogue::CatalogueModel* {
            return page >= 0 && page < int(std::size(kPages)) ? rows(kPages[page].listId) : nullptr;
        });
    station_ = new CStationHost(this);
    CStationPlayer* player = station_->player();
    zt_ = new CZtChannelFiles(*pages_, *pages_, this);
    QList<catalogue::CatalogueModel*> stationLists;
    for (const QTreeView* l : std::as_const(lists_))
        stationLists << catalogue::modelOf(l);
    guide_ = new CRemoteGuide(this, stationLists, zt_);
    updater_ = new CCatalogueUpdater(*pages_, *pages_, this);
    // One update at a time: the button waits for the reply, the rest of the window does not.
    connect(updater_, &CCatalogueUpdater::busyChanged, buttons_[IDC_REFRESH],
            [button = buttons_[IDC_REFRESH]](bool busy) { button->setEnabled(!busy); });

    // Double-click on a page list plays the row; a station found by the search plays the same way.
    const auto playRow = [player](const catalogue::CatalogueModel& model, int row) {
        player->activateRow(model, row);
    };
    QList<QTreeView*> pageLists;
    QStringList pageTitles;
    for (const PageDef& p : kPages) {
        const catalogue::CatalogueModel* model = rows(p.listId);
        connect(lists_[p.listId], &QAbstractItemView::doubleClicked, this,
                [playRow, model](const QModelIndex& index) { playRow(*model, index.row()); });
        pageLists << lists_[p.listId];
        pageTitles << QString::fromUtf8(p.title);
    }
    search_ = new CSearchPanel(this, tab_, pageLists, pageTitles, playRow);
    for (int preset : {IDC_KBS1, IDC_KBS2, IDC_MBC, IDC_PSB})
        connect(buttons_[preset], &QAbstractButton::clicked, this,
                [player, preset] { player->playPreset(preset); });
    connect(buttons_[IDC_SETTINGS], &QAbstractButton::clicked, this,
            &CChannelRemoteDlg::onSettings);
    connect(buttons_[IDC_ZT_SAVE], &QAbstractButton::clicked, zt_, &CZtChannelFiles::save);
    connect(buttons_[IDC_ZT_OPEN], &QAbstractButton::clicked, zt_, &CZtChannelFiles::open);
    connect(buttons_[IDC_REFRESH], &QAbstractButton::clicked, updater_, &CCatalogueUpdater::update);
    connect(buttons_[IDC_FAV_ADD], &QAbstractButton::clicked, this, [this] {
        if (CFavorites* f = favorites())
            f->onAdd();
    });
    connect(buttons_[IDC_FAV_EDIT], &QAbstractButton::clicked, this, [this] {
        if (CFavorites* f = favorites())
            f->onEdit();
    });
    connect(buttons_[IDC_FAV_DELETE], &QAbstractButton::clicked, this, [this] {
        if (CFavorites* f = favorites())
            f->onDelete();
    });
    connect(buttons_[IDC_HIDE], &QAbstractButton::clicked, this, &CChannelRemoteDlg::onHide);
    connect(buttons_[IDC_EXIT], &QAbstractButton::clicked, this, &CChannelRemoteDlg::onExit);
    connect(buttons_[IDC_ONOFF], &QAbstractButton::clicked, this,
            &CChannelRemoteDlg::onToggleAttached);
    connect(buttons_[IDC_LOGO], &QAbstractButton::clicked, this, &CChannelRemoteDlg::onLogo);
}

bool CChannelRemoteDlg::OnInitDialog() {
    setWindowIcon(QIcon(skin::resourceIconPath(kIcon)));

    // Before this window carries the title, so it never finds itself.
    secondInstance_ = platform::windows::exists(kRemoteTitle);
    setWindowTitle(kRemoteTitle);

    for (const ButtonDef& b : kButtons) {
        if (b.normal == 0)
            continue;
        CSkinButton* btn = buttons_[b.id];
        btn->LoadNormal(b.normal);
        btn->LoadHighlight(b.highlight);
        btn->setGeometry(b.x, b.y, b.width, b.height);
    }
    tab_->setGeometry(68, 31, 219, 295);
    // Eleven tabs in 219 pixels can show a character or two each: the selected category is
    // named in full over its list.
    tab_->setCurrentCaption(true);

    for (int i = 0; i < int(std::size(kPages)); ++i)
        tab_->AddPage(lists_[kPages[i].listId], QString::fromUtf8(kPages[i].title), i);
    tab_->SetCurSel(kStartPage);

    // Category lists in the order they are read, then the favourites.
    for (const char* file :
         {"news_eco.txt", "etc.txt", "women_shop.txt", "sport_music.txt", "region_sat.txt",
          "english_edu.txt", "foreign.txt", "kradio.txt", "wradio.txt", "user.txt"}) {
        for (const PageDef& p : kPages)
            if (p.file && qstrcmp(p.file, file) == 0)
                catalogue::loadListFile(rows(p.listId),
                                        platform::paths::dataFolder() + QLatin1String(file));
    }

    // The channel file opened last comes back on its page; a missing or bad file leaves it empty.
    zt_->openAtStart();
    // Guides are fetched and read in the background; rows show them once they are there.
    guide_->start();

    LoadBackground(kBackgroundBitmap);
    const int width = backgroundWidth() > 0 ? backgroundWidth() : 300;
    const int height = backgroundHeight() > 0 ? backgroundHeight() : 360;

    // Right of the screen centre; both halvings truncate.
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->geometry()
                             : QRect(0, 0, 1024, 768);
    setGeometry(screen.width() / 2 + 192, screen.height() / 2 - 179, width, height);
    setFixedSize(width, height);

    // Nothing below waits for the player: it finds the remote by its title when it is up.
    if (!secondInstance_)
        stationPlayer()->startPlayer();

    const SuiteConfig config = SuiteConfig::read();
    if (config.alwaysOnTop())
        platform::setWindowTopmost(this, true);

    if (platform::windows::exists(kChatTitle)) {
        const QRect chat =
            platform::screenfit::fitInside(QRect(frameGeometry().left() - kChatWidth,
                                                 frameGeometry().top(), kChatWidth, kChatHeight),
                                           desktopArea());
        platform::windows::move(kChatTitle, chat.x(), chat.y(), chat.width(), chat.height());
        platform::windows::setTopmost(kChatTitle, config.alwaysOnTop());
    }

    attached_ = 0;
    timers_.start(kTimerMiniBrowser, 4000);

    for (const ToolTipDef& t : kToolTips)
        buttons_[t.id]->setToolTip(QString::fromUtf8(t.text));

    // The favourites dialog, created hidden and reused; no favourite is selected yet.
    favorites_ = new CFavoritesPanel(this, *pages_, *pages_, lists_[1030]);

    return !secondInstance_;
}

std::optional<std::int64_t> CChannelRemoteDlg::handleMessage(std::uint32_t msg, std::uint64_t,
                                                             std::int64_t) {
    if (msg == platform::WM_CLOSE)
        return 0; // only the exit button ends the remote
    return std::nullopt;
}

void CChannelRemoteDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void CChannelRemoteDlg::done(int result) {
    CSkinDialog::done(result);
    Q_EMIT finished_();
}

void CChannelRemoteDlg::onHide() {
    if (!platform::windows::exists(kPlayerTitle))
        return;
    if (platform::windows::isVisible(kPlayerTitle).value_or(false))
        hide();
    else
        showMinimized();
}

void CChannelRemoteDlg::onExit() {
    const int answer = platform::dialogs::messageBox(
        this, QStringLiteral("Brontavia를 종료 하시겠습니까?"), kRemoteTitle,
        platform::Buttons::YesNo, platform::Icon::Question);
    if (answer != platform::IDYES)
        return;
    if (platform::windows::exists(kPlayerTitle))
        platform::windows::post(kPlayerTitle, platform::WM_CLOSE, 0, 0);
    done(QDialog::Accepted);
}

void CChannelRemoteDlg::onToggleAttached() {
    CSkinButton* onoff = buttons_[IDC_ONOFF];
    auto dockBesidePlayer = [this] {
        const auto r = platform::windows::rect(kPlayerTitle);
        if (r && platform::windows::isVisible(kPlayerTitle).value_or(false))
            setGeometry(platform::screenfit::fitInside(QRect(r->x + r->width, r->y, 300, 360),
                                                       desktopArea()));
    };
    if (attached_ == 1) {
        attached_ = 0;
        if (platform::windows::exists(kPlayerTitle)) {
            platform::windows::post(kPlayerTitle, WM_PLAYER_COMMAND, 0, PLAYCMD_DOCK_REMOTE);
            dockBesidePlayer();
        }
        onoff->setToolTip(QString::fromUtf8(kTipAttached));
        return;
    }
    attached_ = 1;
    if (!platform::windows::exists(kPlayerTitle))
        return;
    platform::windows::post(kPlayerTitle, WM_PLAYER_COMMAND, 0, PLAYCMD_UNDOCK_REMOTE);
    dockBesidePlayer();
    onoff->setToolTip(QString::fromUtf8(kTipDetached));
}

void CChannelRemoteDlg::onSettings() {
    CSettingsDlg dlg(this);
    dlg.exec();
}

void CChannelRemoteDlg::onLogo() {
    // The mini browser's date file sits in the remote's own folder; a missing one is fine.
    platform::shell::deleteFiles(platform::paths::moduleDirectory() +
                                 QStringLiteral("Data/Date.dat"));
    startMiniBrowser();
}

void CChannelRemoteDlg::onTimer(int id) {
    if (id != kTimerMiniBrowser)
        return;
    timers_.kill(kTimerMiniBrowser);
    startMiniBrowser();
}

void CChannelRemoteDlg::startMiniBrowser() {
    platform::shell::startProgram(kMiniBrowserProgram, {}, platform::paths::dataFolder());
}
