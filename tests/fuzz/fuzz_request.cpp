// libFuzzer target: the file sender's request file "Transfer<N>.dat", as any program could
// leave it in the data folder.
#include "filesender/transferprotocol.h"
#include "tests/fuzz/fuzzsupport.h"

#include <QFile>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quiet();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = fuzz::privateHome() + QStringLiteral("Transfer0.dat");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    filesender::TransferRequest request;
    const filesender::RequestError error = filesender::readRequest(path, request);
    if (error == filesender::RequestError::None) {
        // Four trimmed lines at most, from no more than the bounded part of the file.
        for (const QByteArray& id : {request.recipientId, request.senderId})
            FUZZ_CHECK(id == id.trimmed() && !id.contains('\n'), id);
        FUZZ_CHECK(!request.filePath.contains(QLatin1Char('\n')), request.filePath.toUtf8());
        FUZZ_CHECK(!request.peerAddress.contains(QLatin1Char('\n')), request.peerAddress.toUtf8());
        FUZZ_CHECK(request.recipientId.size() + request.senderId.size() <=
                       filesender::kRequestFileLimit,
                   QByteArray::number(qint64(size)));
    }
    return 0;
}
