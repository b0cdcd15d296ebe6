#pragma once
// Reading what libmpv hands back: values of its reply maps, the raw screenshot as a BMP file,
// and a save path given as the caller's bytes.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <mpv/client.h>

namespace media {

const mpv_node* mapValue(const mpv_node& map, const char* key);
std::int64_t intValue(const mpv_node& map, const char* key, std::int64_t fallback);
// Empty when the node is not a BGR0/BGRA picture.
QByteArray screenshotBmp(const mpv_node& shot);
QString pathFromBytes(const QByteArray& bytes);

} // namespace media
