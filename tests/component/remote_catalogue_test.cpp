// The catalogue's list controls: rows held as data in the list's model, shown through a view
// that keeps the control's columns and colours across reloads.
#include "platform/codec.h"
#include "platform/lines.h"
#include "remote/catalogue.h"

#include <QHeaderView>
#include <QTemporaryDir>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace catalogue;

namespace {

QByteArray cp(const char16_t* text) {
    return platform::cp949::fromUnicode(QString::fromUtf16(text));
}

QStringList shown(const QTreeView* list, int column) {
    QStringList out;
    for (int r = 0; r < list->model()->rowCount(); ++r)
        out << list->model()->index(r, column).data().toString();
    return out;
}

} // namespace

TEST(RemoteCatalogue, TheListShowsTheFilesRowsAndKeepsItsColumnsAcrossReloads) {
    QTemporaryDir dir;
    const QString file = dir.filePath(u"news_eco.txt"_s);
    ASSERT_TRUE(platform::lines::writeFileAtomic(
        file, cp(u"뉴스^mms://a/1\r\n\r\n\n") + "nocaret\r\nB^mms://b^http://home/^x\r\n"));
    QWidget window;
    QTreeView* list = createListControl(&window, 1004);
    CatalogueModel* rows = modelOf(list);
    ASSERT_TRUE(rows);
    for (int load = 0; load < 2; ++load) {
        ASSERT_TRUE(loadListFile(rows, file));
        EXPECT_EQ(shown(list, 0), (QStringList{u"뉴스"_s, "", "B"}));
        EXPECT_EQ(shown(list, 1), (QStringList{"mms://a/1", "nocaret", "mms://b^http://home/^x"}));
        EXPECT_EQ(rows->index(0, 0).data(CatalogueModel::BytesRole).toByteArray(), cp(u"뉴스"));
        EXPECT_TRUE(list->isHeaderHidden());
        EXPECT_TRUE(list->isColumnHidden(1));
        EXPECT_EQ(list->columnWidth(0), 230);
    }
    // A file of blank lines empties the list; the columns stay as they were.
    ASSERT_TRUE(platform::lines::writeFileAtomic(file, "\r\n\r\n"));
    ASSERT_TRUE(loadListFile(rows, file));
    EXPECT_EQ(rows->rowCount(), 0);
    EXPECT_TRUE(list->isColumnHidden(1));
}
