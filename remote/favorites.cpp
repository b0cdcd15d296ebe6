#include "remote/favorites.h"

#include "platform/codec.h"
#include "platform/lines.h"
#include "platform/paths.h"
#include "remote/cataloguemodel.h"
#include "remote/remoteview.h"

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

CFavorites::CFavorites(remote::PageView& pages, remote::Notifier& notifier,
                       favorites::Editor& editor, QObject* parent)
    : QObject(parent), pages_(pages), notifier_(notifier), editor_(editor) {}

void CFavorites::onListClicked(int row) {
    selection_ = row < 0 ? -1 : row;
}

void CFavorites::reload() {
    if (catalogue::CatalogueModel* rows = pages_.pageRows(kPage))
        catalogue::loadListFile(rows, favorites::path());
}

void CFavorites::inform(const QString& text) {
    notifier_.message(text, platform::Buttons::Ok, platform::Icon::None);
}

bool CFavorites::haveSelection(const QString& askText) {
    // A selection made on another page does not count.
    if (pages_.currentPage() != kPage)
        selection_ = -1;
    pages_.setCurrentPage(kPage);
    if (selection_ >= 0)
        return true;
    reload();
    inform(askText);
    return false;
}

void CFavorites::onAdd() {
    editor_.setAddMode();
    editor_.present();
    pages_.setCurrentPage(kPage);
}

void CFavorites::onEdit() {
    if (!haveSelection(QStringLiteral("수정할 즐겨찾기채널을 선택해 주세요!")))
        return;
    const catalogue::CatalogueModel* rows = pages_.pageRows(kPage);
    const catalogue::ChannelLine row = rows ? rows->channel(selection_) : catalogue::ChannelLine();
    editor_.setEditMode(toUnicode(row.name), toUnicode(row.target));
    editor_.present();
}

void CFavorites::onDelete() {
    if (!haveSelection(QStringLiteral("삭제할 즐겨찾기채널을 선택해 주세요!")))
        return;
    const catalogue::CatalogueModel* rows = pages_.pageRows(kPage);
    const QString question = QStringLiteral("선택하신 ") +
                             toUnicode(rows ? rows->name(selection_) : QByteArray()) +
                             QStringLiteral(" 채널을 삭제하시겠습니까?");
    if (notifier_.message(question, platform::Buttons::YesNo, platform::Icon::Question) !=
        platform::IDYES)
        return;

    const bool removed = favorites::removeRow(favorites::path(), selection_);
    reload();
    selection_ = -1;
    // Only a delete that reached the file is reported as done.
    if (removed)
        inform(QStringLiteral("채널 삭제 완료!"));
}

void CFavorites::add() {
    const QString name = editor_.name();
    if (name.isEmpty()) {
        editor_.inform(QStringLiteral("채널명을 입력하세요!"));
        return;
    }
    const QString address = editor_.address();
    if (address.isEmpty()) {
        editor_.inform(QStringLiteral("주소를 입력하세요!"));
        return;
    }
    const QByteArray line =
        favorites::channelLine(fromUnicode(name), favorites::cleanAddress(fromUnicode(address)));
    // user.txt is created at installation; a missing one makes adding fail without a word.
    if (!favorites::appendChannel(favorites::path(), line))
        return;
    reload();
    editor_.clearEdits(); // stays open for the next channel
}

void CFavorites::saveEdit() {
    bool saved = false;
    if (selection_ >= 0) {
        const QByteArray line = favorites::channelLine(
            fromUnicode(editor_.name()), favorites::cleanAddress(fromUnicode(editor_.address())));
        saved = favorites::replaceRow(favorites::path(), selection_, line);
    }
    reload();
    selection_ = -1;
    if (saved)
        editor_.inform(QStringLiteral("채널 수정 완료!"));
    editor_.finish();
}
