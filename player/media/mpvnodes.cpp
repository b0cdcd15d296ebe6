#include "player/media/mpvnodes.h"

#include "platform/codec.h"
#include "platform/paths.h"
#include "player/media/bmpfile.h"
#include "player/media/mpvnames.h"

#include <QStringDecoder>
#include <QtGlobal>

namespace media {

const mpv_node* mapValue(const mpv_node& map, const char* key) {
    if (map.format != MPV_FORMAT_NODE_MAP || !map.u.list)
        return nullptr;
    for (int i = 0; i < map.u.list->num; ++i)
        if (qstrcmp(map.u.list->keys[i], key) == 0)
            return &map.u.list->values[i];
    return nullptr;
}

std::int64_t intValue(const mpv_node& map, const char* key, std::int64_t fallback) {
    const mpv_node* v = mapValue(map, key);
    return v && v->format == MPV_FORMAT_INT64 ? v->u.int64 : fallback;
}

// The frame mpv hands back from "screenshot-raw" as a BMP file: it already went through the
// video filters, so it is the picture as shown, effects included.
QByteArray screenshotBmp(const mpv_node& shot) {
    const mpv_node* data = mapValue(shot, mpv::kShotData);
    const mpv_node* format = mapValue(shot, mpv::kShotFormat);
    if (!data || data->format != MPV_FORMAT_BYTE_ARRAY || !data->u.ba || !format ||
        format->format != MPV_FORMAT_STRING)
        return {};
    const QByteArray name(format->u.string);
    if (name != mpv::kBgr0 && name != mpv::kBgra)
        return {};
    return bmp24(static_cast<const unsigned char*>(data->u.ba->data),
                 intValue(shot, mpv::kShotWidth, 0), intValue(shot, mpv::kShotHeight, 0),
                 intValue(shot, mpv::kShotStride, 0), std::int64_t(data->u.ba->size));
}

// The save path as the caller's bytes: file-system bytes (UTF-8 here) from this player, or
// CP949 text as the filter's callers always passed it. Korean CP949 text is never valid UTF-8,
// so the two cannot be confused.
QString pathFromBytes(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(bytes);
    const QString text = utf8.hasError() ? platform::cp949::toUnicode(bytes) : asUtf8;
    return platform::paths::fromWindows(text);
}

} // namespace media
