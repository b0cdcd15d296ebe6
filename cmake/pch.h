// Headers almost every translation unit of the suite reads; precompiled once per target.
#pragma once
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>
#if __has_include(<QPainter>) // targets without the gui module (platform_core, the chat server)
#include <QPainter>
#include <QPixmap>
#endif
#if __has_include(<QWidget>) // targets without the widget module (the artwork generator)
#include <QDialog>
#include <QWidget>
#endif
