#include "platform/application.h"

#include "platform/windowdirectory.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

namespace platform {

void setupApplication(QApplication& app) {
    const QStringList families = QFontDatabase::families();
    QStringList nanum;
    for (const char* f : {"NanumGothic", "NanumBarunGothic", "Nanum Gothic"})
        if (families.contains(QString::fromLatin1(f)))
            nanum << QString::fromLatin1(f);
    if (!nanum.isEmpty()) {
        for (const QString& ui : {QStringLiteral("굴림"), QStringLiteral("돋움"),
                                  QStringLiteral("Gulim"), QStringLiteral("Dotum")})
            QFont::insertSubstitutions(ui, nanum);
    }
    QFont font(QStringLiteral("굴림"));
    font.setPixelSize(12);
    app.setFont(font);
    windows::install();
}

} // namespace platform
