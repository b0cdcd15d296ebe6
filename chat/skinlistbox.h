#pragma once
// The owner-drawn list of rooms and of servers: bold Arial rows, each in its own colour; the
// selected row is filled with its colour and written in the inverted one.
#include <QListWidget>

class CSkinListBox : public QListWidget {
    Q_OBJECT
public:
    explicit CSkinListBox(QWidget* parent = nullptr, int controlId = -1);

    void addRow(const QString& text, QRgb colour);
    void insertRow(int index, const QString& text, QRgb colour);
    // Many white rows at the end in one insertion.
    void appendWhiteRows(const QStringList& texts);
    static int rowHeight();
};
