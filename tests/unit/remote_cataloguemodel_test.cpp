// Channel lists as data: rows from file bytes and from lines, and the cells a view asks for,
// first and last rows and rows that do not exist included.
#include "platform/codec.h"
#include "remote/cataloguemodel.h"

#include <gtest/gtest.h>

using catalogue::CatalogueModel;
using catalogue::ChannelLine;

namespace {

QList<QByteArray> namesOf(const CatalogueModel& m) {
    QList<QByteArray> out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.name(r);
    return out;
}

// Splitting at the first caret, loading files and filling from lines are also covered with
// the list control (tests/component/remote_catalogue_test.cpp).
TEST(CatalogueModel, FileBytesSkipEmptyLinesAndKeepTheFirstAndLast) {
    CatalogueModel m;
    m.setFileData("\nfirst^1\r\n\r\nmiddle^2\n\nlast^3\r\n");
    EXPECT_EQ(namesOf(m), (QList<QByteArray>{"first", "middle", "last"}));
    EXPECT_EQ(m.target(2), "3");
    // A lone CR at the very end stays with the line; a CR alone on a line is a row.
    m.setFileData("a^1\r\nb^2\r");
    EXPECT_EQ(m.target(1), "2\r");
    m.setFileData("\r\r\n");
    ASSERT_EQ(m.rowCount(), 1);
    EXPECT_EQ(m.channel(0), (ChannelLine{"", "\r"}));
    m.setFileData(QByteArray());
    EXPECT_EQ(m.rowCount(), 0);
}

TEST(CatalogueModel, LinesKeepEmptyRowsAndRowsRoundTrip) {
    CatalogueModel m;
    m.setLines({"a^1", "", "c^3"});
    ASSERT_EQ(m.rowCount(), 3);
    EXPECT_EQ(m.channel(1), (ChannelLine{"", ""}));
    EXPECT_EQ(m.channel(2), (ChannelLine{"c", "3"}));
    const QList<ChannelLine> rows = {{"n", "t"}, {"", "bare"}, {"", "x^y"}, {"m", ""}};
    m.setRows(rows);
    ASSERT_EQ(m.rowCount(), 4);
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(m.channel(r), rows[r]) << r;
    m.clear();
    EXPECT_EQ(m.rowCount(), 0);
}

TEST(CatalogueModel, CellsOfRowsThatExistAndOfRowsThatDoNot) {
    CatalogueModel m;
    m.setLines({platform::cp949::fromUnicode(u"뉴스^mms://n"), "last^l"});
    EXPECT_EQ(m.columnCount(), 2);
    EXPECT_EQ(m.data(m.index(0, 0)).toString(), QStringLiteral("뉴스"));
    EXPECT_EQ(m.data(m.index(0, 1), CatalogueModel::BytesRole).toByteArray(), "mms://n");
    EXPECT_EQ(m.data(m.index(1, 0), CatalogueModel::BytesRole).toByteArray(), "last");
    EXPECT_EQ(m.data(m.index(1, 1)).toString(), QStringLiteral("l"));
    EXPECT_FALSE(m.data(m.index(0, 0), Qt::ToolTipRole).isValid());
    EXPECT_FALSE(m.data(QModelIndex()).isValid());
    // A view may ask for an index made before the rows shrank.
    const QModelIndex stale = m.index(1, 0);
    m.setLines({"only^o"});
    EXPECT_FALSE(m.data(stale).isValid());
    EXPECT_FALSE(m.data(m.index(0, 2)).isValid());
    EXPECT_EQ(m.name(-1), QByteArray());
    EXPECT_EQ(m.target(1), QByteArray());
    EXPECT_EQ(m.name(0), "only");
    EXPECT_EQ(m.rowCount(m.index(0, 0)), 0); // a table: no children
    EXPECT_EQ(m.columnCount(m.index(0, 0)), 0);
    EXPECT_EQ(m.headerData(0, Qt::Horizontal).toString(), QStringLiteral("채널명"));
    EXPECT_EQ(m.headerData(1, Qt::Horizontal).toString(), QString());
    EXPECT_FALSE(m.headerData(0, Qt::Vertical).isValid());
    EXPECT_FALSE(m.headerData(0, Qt::Horizontal, Qt::ToolTipRole).isValid());
}

} // namespace
