// Must not build against the window-free player library: it has no widget include path.
#include <QWidget>

int playerWidgetProbe() {
    return sizeof(QWidget) > 0 ? 0 : 1;
}
