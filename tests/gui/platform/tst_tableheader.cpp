#include "gui/platform/tableheader.h"

#include <QStandardItemModel>
#include <QTest>

using namespace Qt::StringLiterals;

// The captions measured once are measured again when what their size depends on
// changes: each row changes one thing, and the header then gives the sizes Qt's own
// header gives for the same captions.
class TestTableHeader : public QObject
{
    Q_OBJECT

private slots:
    void measuresAgainWhatChanged_data()
    {
        QTest::addColumn<QString>("change");
        for (const char* change : {"nothing", "caption", "sort arrow", "font", "model"})
            QTest::newRow(change) << QString::fromLatin1(change);
    }

    void measuresAgainWhatChanged()
    {
        QFETCH(QString, change);
        QStandardItemModel model(1, 3), other(1, 3);
        for (QStandardItemModel* captions : {&model, &other})
            captions->setHorizontalHeaderLabels({u"Id"_s, u"Name"_s, u"Runway"_s});
        other.setHorizontalHeaderLabels({u"Identifier of the airport"_s, u"N"_s, u"R"_s});
        TableHeader header(Qt::Horizontal);
        QHeaderView plain(Qt::Horizontal);
        header.setModel(&model);
        plain.setModel(&model);
        for (int column = 0; column < 3; ++column)
            QCOMPARE(header.sectionSizeHint(column), plain.sectionSizeHint(column));

        if (change == u"caption") {
            model.setHeaderData(0, Qt::Horizontal, u"Identifier of the airport"_s);
        } else if (change == u"sort arrow") {
            for (QHeaderView* view : {static_cast<QHeaderView*>(&header), &plain}) {
                view->setSortIndicatorShown(true);
                view->setSortIndicator(0, Qt::AscendingOrder);
            }
        } else if (change == u"font") {
            QFont large = header.font();
            large.setPointSize(large.pointSize() * 3);
            header.setFont(large);
            plain.setFont(large);
        } else if (change == u"model") {
            header.setModel(&other);
            plain.setModel(&other);
        }
        for (int column = 0; column < 3; ++column)
            QCOMPARE(header.sectionSizeHint(column), plain.sectionSizeHint(column));
    }
};

QTEST_MAIN(TestTableHeader)
#include "tst_tableheader.moc"
