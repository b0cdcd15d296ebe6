#pragma once
// The file sender's texts, numbers and the small rules around the transfer exchange: the request
// file, control keywords, the offer, the size and the progress lines. Window-free.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace filesender {

// Messages of the host and the transfer windows (numbers as the peers' builds know them).
inline constexpr std::uint32_t WM_XFER_ACCEPT = 2024;
inline constexpr std::uint32_t WM_XFER_CLOSED = 2025;
inline constexpr std::uint32_t WM_XFER_DONE = 2026;
inline constexpr std::uint32_t WM_XFER_CONNECTED = 43002;
inline constexpr std::uint32_t WM_XFER_RECEIVE = 43003;
inline constexpr std::uint32_t WM_XFER_SEND = 43004;

inline constexpr quint16 kTransferPort = 22001;

// Timers.
inline constexpr int kWatchdogTimer = 3030;
inline constexpr int kWatchdogMs = 10000;
inline constexpr int kConnectTimer = 3020;
inline constexpr int kConnectDelayMs = 50;
inline constexpr int kTimeoutTimer = 3000;
inline constexpr int kConnectTimeoutMs = 10000;
// An accepted connection must make its offer within this time.
inline constexpr int kOfferTimer = 3010;
inline constexpr int kOfferTimeoutMs = 10000;

// Controls.
inline constexpr int IDC_MANUAL_START = 1004; // host "Button1"
inline constexpr int IDC_REQUEST_NUMBER = 1005;
inline constexpr int IDC_PROGRESS = 1003;
inline constexpr int IDC_CANCEL = 1006;
inline constexpr int IDC_TOTAL_LINE = 1007;
inline constexpr int IDC_AMOUNT_LINE = 1008;
inline constexpr int IDC_EXIT = 1009;

// Questions (and end boxes of receiving windows) that may be on the screen at once; more
// connections are refused, so a peer cannot flood the screen with them.
inline constexpr int kMaxWaitingReceivers = 8;
// Accepted connections that have not made their offer yet (each for at most kOfferTimeoutMs);
// more are refused, so a flood of silent connections cannot pile up.
inline constexpr int kMaxPendingOffers = 64;

namespace text {
inline const QString NoRequestFile = QStringLiteral("파일 전송에 필요한 파일이 없습니다.");
inline const QString RequestUnreadable =
    QStringLiteral("파일 전송에 필요한 것들을 읽을수 없습니다.");
inline const QString RecipientBusy =
    QStringLiteral("같은 사용자에게 이미 다른 파일을 보내고 있는 중입니다");
inline const QString AcceptFailed = QStringLiteral("Acception Failed");
inline const QString ListenClosed = QStringLiteral("인터넷 연결에 문제 발생");
inline const QString NoSocket = QStringLiteral("접속에 실패하였습니다.");
inline const QString ConnectionError = QStringLiteral("연결 에러");
inline const QString ConnectTimeout = QStringLiteral("접속시간이 초과되었습니다.");
inline const QString Refused = QStringLiteral("파일 받는 것을 거절하였습니다.");
inline const QString CannotOpen =
    QStringLiteral("파일을 열수 없습니다. 파일 보내는데 실패했습니다.");
inline const QString CannotCreate = QStringLiteral("파일 생성에 문제가 생겼습니다.");
inline const QString ReceiveProblem = QStringLiteral("수신에 문제가 생겼습니다.");
inline const QString SaveProblem = QStringLiteral("파일 저장에 문제가 생겼습니다.");
inline const QString AskCaption = QStringLiteral("파일 수신 허용");
inline const QString SaveCaption = QStringLiteral("다른 이름으로 저장");
inline const QString PreparingTransfer = QStringLiteral("전송을 준비중입니다.");
inline const QString PreparingReceive = QStringLiteral("현재 수신을 준비중입니다.");
inline const QString SendingSuffix = QStringLiteral(" 파일 송신중");
inline const QString ReceivingSuffix = QStringLiteral(" 파일 수신중");
inline const QString CancelTip = QStringLiteral("전송을 취소하고 창을 닫습니다");
inline const QString ExitTip = QStringLiteral("이 창을 닫습니다");
// A received name that cannot be used as it stands is proposed as this.
inline const QString SafeName = QStringLiteral("받은 파일");
} // namespace text

// Control keywords, searched in this order.
enum class Keyword { None, Yes, No, Start, Over };
inline constexpr char kYes[] = "SendFile_Yes";
inline constexpr char kNo[] = "SendFile_No";
inline constexpr char kStart[] = "Send_Start";
inline constexpr char kOver[] = "Send_Over";

// The first keyword, in the fixed order, that occurs anywhere in the message.
Keyword findKeyword(const QByteArray& message);

// "Transfer%d.dat": four lines, trimmed; missing lines are empty.
struct TransferRequest {
    QByteArray recipientId;
    QByteArray senderId;
    QString filePath;
    QString peerAddress;
};
enum class RequestError { None, Missing, Unreadable };
// Reads at most the first kRequestFileLimit bytes of the file: a request is four short lines.
inline constexpr qint64 kRequestFileLimit = 5 * 4096;
RequestError readRequest(const QString& path, TransferRequest& out);

// The name part of a path as the sender announces it: after the last backslash or slash.
QString fileNameOf(const QString& path);

// "sender-id file-name", split at the first space, both trimmed. nullopt when the message is
// empty or has no space.
struct Offer {
    QByteArray senderId;
    QByteArray fileName;
};
std::optional<Offer> parseOffer(const QByteArray& message);
QByteArray makeOffer(const QByteArray& senderId, const QString& filePath);

// The name to propose for saving a received file: its last path component only, without leading
// dots (no hidden files); names that would point elsewhere (also "~" and "~user", which a save
// dialog expands) or cannot be shown fall back to text::SafeName.
QString safeFileName(const QByteArray& announcedName);

// The announced size: decimal digits only, surrounding blanks ignored. nullopt for anything
// else (empty, a sign, hex, trailing text) and for a number that does not fit in 63 bits.
std::optional<qint64> parseSize(const QByteArray& message);

// "%12.d": width 12, and a zero printed as twelve blanks.
QString kiloField(qint64 bytes);
QString sentLine(qint64 transferred);
QString receivedLine(qint64 transferred);
QString totalLine(qint64 total);
// transferred / total * 100, truncated; 0 for an empty file.
int progressPercent(qint64 transferred, qint64 total);

// The question the receiving user answers.
QString askText(const QString& senderId, const QString& fileName);

} // namespace filesender
