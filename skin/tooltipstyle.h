#pragma once
// The suite's tool tips: white, black text, lines no wider than 150 pixels.
#include <QFont>
#include <QString>

class QApplication;

namespace skin {

constexpr int kToolTipMaxWidth = 150;

// Sets the look for every tool tip of the application. Calling it again changes nothing.
void applyToolTipStyle(QApplication& app);

// `text` broken at word boundaries into lines of at most `maxWidth` pixels in `font`
// (a single word wider than that keeps its own line). Existing line breaks stay.
QString wrapToolTipText(const QString& text, const QFont& font, int maxWidth = kToolTipMaxWidth);

} // namespace skin
