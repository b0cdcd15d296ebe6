#pragma once
// What the chat leaves in files for itself and for the other programs, CP949 on disk: the
// stored nickname, a received link for the player, a file for the file sender.
#include "protocol/transferreport.h"

#include <QString>
#include <QUrl>

namespace chat {

// "Namae.dat" in the working directory; its first line is the nickname of the last log-on.
QString nicknameFile();
QString readNickname();
// Whole or not at all.
bool storeNickname(const QString& nickname);
// True when no nickname file is left.
bool forgetNickname();

// A received link or homepage as a web address (http or https with a host); an empty URL for
// anything else, which is never opened.
QUrl webAddress(const QString& text);

// The link the player is to open, in its hand-over file.
bool writeLinkHandOver(const QString& link);

// A file for the file sender: to whom, from whom, which file, to which address.
struct TransferRequest {
    QString receiver;
    QString sender;
    QString file;
    QString address;
};
bool writeTransferRequest(const QString& path, const TransferRequest& request);

// The chat view's line for a transfer that ended well: which file went to or came from whom,
// and where it was saved. Control characters of the names become spaces.
QString transferLine(const protocol::TransferReport& report);

} // namespace chat
