#pragma once
// Window titles and program names by which the suite's programs find and start each other.
// Titles are matched exactly; changing one breaks the programs already installed beside it.
#include <QString>

namespace protocol {

inline const QString kRemoteTitle = QStringLiteral("Brontavia3.0");
inline const QString kPlayerTitle = QStringLiteral("Lumaset");
inline const QString kChatTitle = QStringLiteral("Brontavia's Chat");
inline const QString kTransferHostTitle = QStringLiteral("파일보내기");
// An older remote-control program outside the suite that takes received links.
inline const QString kLinkReceiverTitle = QStringLiteral("Umbrix 리모콘");

// Single-instance locks.
inline const QString kChatMutex = QStringLiteral("Brontavia's Chat");
inline const QString kTransferMutex = QStringLiteral("파일보내기");

// Started by bare name: the sibling executable first, then PATH.
inline const QString kPlayerProgram = QStringLiteral("Lumaset.exe");
inline const QString kChatProgram = QStringLiteral("ZTChat05.exe");
inline const QString kTransferProgram = QStringLiteral("Parcelo01.exe");
inline const QString kMiniBrowserProgram = QStringLiteral("Peekpane.exe");

// Message boxes of the remote and the player carry this caption.
inline const QString kSuiteCaption = QStringLiteral("Brontavia3.0");

} // namespace protocol
