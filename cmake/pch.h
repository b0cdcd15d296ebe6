// Headers almost every translation unit of the suite reads; precompiled once per target.
#pragma once
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>
#if __has_include(<QWidget>) // targets without the widget module (the artwork generator)
#include <QDialog>
#include <QWidget>
#endif
