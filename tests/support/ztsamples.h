#pragma once
// Channel lines that the scrambled channel-file format finds hard, shared by its tests.
#include "platform/codec.h"

#include <QByteArray>
#include <QList>

namespace testsupport {

inline QByteArray cp949(const char* utf8) {
    return platform::cp949::fromUnicode(QString::fromUtf8(utf8));
}

// Favourites whose CP949 bytes scramble into line-break bytes: 성 ends in 0xBA, 시 and 스 start
// with 0xBD (so 성시 holds 0xBA 0xBD across two characters), 봄 is the character 0xBA 0xBD.
inline QList<QByteArray> awkwardFavourites() {
    return {cp949("성시경 라디오^mms://radio.example.net/sung"),
            cp949("봄날TV^mms://tv.example.net/spring"),
            cp949("스포츠 뉴스^mms://news.example.net/sports"),
            cp949("KBS 봄 특집^mms://kbs.example.net/h_1tv^http://kbs.example.net/"),
            cp949("꽃봄^http://flower.example.net/성시^http://flower.example.net/"),
            cp949("KBS1^mms://kbs.example.net/H_1TV")};
}

} // namespace testsupport
