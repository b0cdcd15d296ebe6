#include "remote/favorites.h"

#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/lines.h"
#include "platform/paths.h"
#include "remote/catalogue.h"
#include "remote/favoritedlg.h"
#include "remote/remoteids.h"
#include "skin/tabsheet.h"

#include <QMouseEvent>
#include <QTreeView>

namespace favorites {

QString path() {
    return platform::paths::dataFolder() + QStringLiteral("user.txt");
}

QByteArray cleanAddress(QByteArray address) {
    address.replace(' ', QByteArray());
    return address;
}

QByteArray channelLine(const QByteArray& name, const QByteArray& address) {
    QByteArray line = name + '^' + address;
    line.replace('\r', QByteArray());
    line.replace('\n', QByteArray());
    return line;
}

int lineIndexOfRow(const QList<QByteArray>& lines, int row) {
    if (row < 0)
        return -1;
    for (int i = 0; i < lines.size(); ++i)
        if (!lines[i].isEmpty() && row-- == 0)
            return i;
    return -1;
}

QByteArray appended(const QByteArray& file, const QByteArray& line) {
    const QList<QByteArray> lines = platform::lines::split(file);
    const bool firstLineFilled = !lines.isEmpty() && !lines.constFirst().isEmpty();
    // A blank first line alone would glue the new entry onto an unterminated last one.
    const bool unterminated = !file.isEmpty() && !file.endsWith('\n');
    QByteArray out = file;
    if (firstLineFilled || unterminated)
        out += "\r\n";
    return out + line;
}

bool appendChannel(const QString& file, const QByteArray& line) {
    const auto data = platform::lines::readFile(file);
    if (!data)
        return false;
    return platform::lines::writeFileAtomic(file, appended(*data, line));
}

bool replaceRow(const QString& file, int row, const QByteArray& line) {
    auto lines = platform::lines::readLines(file);
    if (!lines)
        return false;
    const int index = lineIndexOfRow(*lines, row);
    if (index < 0)
        return false;
    (*lines)[index] = line;
    return platform::lines::writeLinesAtomic(file, *lines);
}

bool removeRow(const QString& file, int row) {
    auto lines = platform::lines::readLines(file);
    if (!lines)
        return false;
    const int index = lineIndexOfRow(*lines, row);
    if (index < 0)
        return false;
    lines->removeAt(index);
    return platform::lines::writeLinesAtomic(file, *lines);
}

} // namespace favorites

using platform::cp949::fromUnicode;
using platform::cp949::toUnicode;

CFavorites::CFavorites(QWidget* mainWindow, CTabSheet* tab, QTreeView* list1030)
    : QObject(mainWindow), main_(mainWindow), tab_(tab), list_(list1030),
      rows_(catalogue::modelOf(list1030)) {
    dialog_ = new CFavoriteDlg(mainWindow); // owned by the main window, hidden until used
    connect(dialog_, &CFavoriteDlg::addRequested, this, &CFavorites::add);
    connect(dialog_, &CFavoriteDlg::saveRequested, this, &CFavorites::saveEdit);

    // A click on a row reports it; a click below the last row clears the selection.
    connect(list_, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { onListClicked(index.row()); });
    viewport_ = list_->viewport();
    viewport_->installEventFilter(this);
}

CFavorites::~CFavorites() {
    delete dialog_; // null when the main window already took it down
}

bool CFavorites::eventFilter(QObject* watched, QEvent* event) {
    // Compared by pointer only: the filter also sees the events of the list's own destruction,
    // when the list can no longer be asked for its viewport.
    if (event->type() == QEvent::MouseButtonRelease && watched == viewport_) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            !list_->indexAt(mouse->position().toPoint()).isValid())
            onListClicked(-1);
    }
    return QObject::eventFilter(watched, event);
}

void CFavorites::onListClicked(int row) {
    selection_ = row < 0 ? -1 : row;
}

void CFavorites::reload() {
    catalogue::loadListFile(rows_, favorites::path());
}

void CFavorites::inform(QWidget* owner, const QString& text) {
    platform::dialogs::messageBox(owner, text, remote::kRemoteTitle, platform::Buttons::Ok);
}

bool CFavorites::haveSelection(const QString& askText) {
    // A selection made on another page does not count.
    if (tab_->GetCurSel() != kPage)
        selection_ = -1;
    tab_->SetCurSel(kPage);
    if (selection_ >= 0)
        return true;
    reload();
    inform(main_, askText);
    return false;
}

void CFavorites::onAdd() {
    dialog_->setAddMode();
    dialog_->present();
    tab_->SetCurSel(kPage);
}

void CFavorites::onEdit() {
    if (!haveSelection(QStringLiteral("수정할 즐겨찾기채널을 선택해 주세요!")))
        return;
    const catalogue::ChannelLine row = rows_->channel(selection_);
    dialog_->setEditMode(toUnicode(row.name), toUnicode(row.target));
    dialog_->present();
}

void CFavorites::onDelete() {
    if (!haveSelection(QStringLiteral("삭제할 즐겨찾기채널을 선택해 주세요!")))
        return;
    const QString question = QStringLiteral("선택하신 ") + toUnicode(rows_->name(selection_)) +
                             QStringLiteral(" 채널을 삭제하시겠습니까?");
    if (platform::dialogs::messageBox(main_, question, remote::kRemoteTitle,
                                      platform::Buttons::YesNo,
                                      platform::Icon::Question) != platform::IDYES)
        return;

    const bool removed = favorites::removeRow(favorites::path(), selection_);
    reload();
    selection_ = -1;
    // Only a delete that reached the file is reported as done.
    if (removed)
        inform(main_, QStringLiteral("채널 삭제 완료!"));
}

void CFavorites::add() {
    const QString name = dialog_->name();
    if (name.isEmpty()) {
        inform(dialog_, QStringLiteral("채널명을 입력하세요!"));
        return;
    }
    const QString address = dialog_->address();
    if (address.isEmpty()) {
        inform(dialog_, QStringLiteral("주소를 입력하세요!"));
        return;
    }
    const QByteArray line =
        favorites::channelLine(fromUnicode(name), favorites::cleanAddress(fromUnicode(address)));
    // user.txt is created at installation; a missing one makes adding fail without a word.
    if (!favorites::appendChannel(favorites::path(), line))
        return;
    reload();
    dialog_->clearEdits(); // stays open for the next channel
}

void CFavorites::saveEdit() {
    bool saved = false;
    if (selection_ >= 0) {
        const QByteArray line = favorites::channelLine(
            fromUnicode(dialog_->name()), favorites::cleanAddress(fromUnicode(dialog_->address())));
        saved = favorites::replaceRow(favorites::path(), selection_, line);
    }
    reload();
    selection_ = -1;
    if (saved)
        inform(dialog_, QStringLiteral("채널 수정 완료!"));
    dialog_->done(QDialog::Accepted);
}
