// Must not build against the window-free player library: it has no picture include path.
#include <QImage>

int playerGuiProbe() {
    return sizeof(QImage) > 0 ? 0 : 1;
}
