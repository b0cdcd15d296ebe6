#include "remote/ztfile.h"

#include "guide/sources.h"
#include "platform/lines.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "remote/cataloguemodel.h"
#include "remote/m3u.h"
#include "remote/remoteview.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kSection = QStringLiteral("ZT3.0");
const QString kLastFileKey = QStringLiteral("LASTZTFILE");

// The whole file, or what could be read of it before an error.
QByteArray readAllYouCan(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

CZtChannelFiles::CZtChannelFiles(remote::PageView& pages, remote::Notifier& notifier,
                                 QObject* parent)
    : QObject(parent), pages_(pages), notifier_(notifier) {}

void CZtChannelFiles::save() {
    const QByteArray favourites =
        readAllYouCan(platform::paths::dataFolder() + QStringLiteral("user.txt"));
    if (favourites.isEmpty()) {
        notifier_.message(
            QStringLiteral("ZT채널로 저장할 My즐겨찾기가 없습니다.\n먼저 즐겨찾기를 추가해 "
                           "주세요."),
            platform::Buttons::Ok, platform::Icon::Information);
        return;
    }
    const QList<QByteArray> lines = platform::lines::split(favourites);

    const QString path = notifier_.saveFileName(
        QStringLiteral("저장할 ZT채널명을 입력해 주세요!"),
        QStringLiteral(
            "ZT(Brontavia) 채널파일(*.zt)|*.zt|M3U 재생목록(*.m3u;*.m3u8)|*.m3u;*.m3u8||"),
        QStringLiteral("zt"));
    if (path.isEmpty())
        return;
    // A name ending in .m3u or .m3u8 asks for a list other players read.
    const QByteArray content =
        m3u::isListName(path) ? m3u::build(m3u::fromChannelLines(lines)) : ztfile::build(lines);
    // An unwritable place keeps whatever file was there and claims nothing.
    if (!platform::lines::writeFileAtomic(path, content))
        return;
    notifier_.message(path + QStringLiteral("으로 채널저장 완료!"), platform::Buttons::Ok,
                      platform::Icon::None);
}

void CZtChannelFiles::open() {
    const QString path = notifier_.openFileName(
        QStringLiteral("ZT채널을 선택해 주세요!"),
        QStringLiteral("Brontavia 채널파일(*.zt)|*.zt;|M3U 재생목록(*.m3u;*.m3u8)|*.m3u;*.m3u8||"));
    if (path.isEmpty())
        return;
    if (!show(path, true)) {
        notifier_.message(QStringLiteral("잘못된 ZT채널입니다."), platform::Buttons::Ok,
                          platform::Icon::Information);
        return;
    }
    pages_.setCurrentPage(kPage);
    platform::Profile(QStringLiteral("ZT25"))
        .writeString(kSection, kLastFileKey, QFileInfo(path).absoluteFilePath());
}

void CZtChannelFiles::openAtStart() {
    const QString path =
        platform::Profile(QStringLiteral("ZT25")).getString(kSection, kLastFileKey);
    if (!path.isEmpty())
        show(path, false);
}

bool CZtChannelFiles::show(const QString& path, bool imported) {
    catalogue::CatalogueModel* list = pages_.pageRows(kPage);
    if (!list)
        return false;
    const QByteArray data = readAllYouCan(path);
    if (data.isEmpty())
        return false;
    if (m3u::isListName(path)) {
        const QList<m3u::Entry> entries = m3u::parse(data, QFileInfo(path).absolutePath());
        const QList<QByteArray> lines = m3u::toChannelLines(entries);
        if (lines.isEmpty())
            return false;
        catalogue::fillFromLines(list, lines);
        QStringList guideIds;
        for (const m3u::Entry& e : entries)
            guideIds << e.tvgId;
        list->setGuideIds(guideIds);
        emit guideSourcesFound(guide::m3uSources(data), imported);
        return true;
    }
    catalogue::fillFromLines(list, ztfile::parse(data));
    return true;
}
