#include "core/db/dberror.h"
#include "core/db/schema.h"
#include "core/folder/datafolder.h"
#include "core/folder/starterdata.h"
#include "support/systemfaults.h"
#include "support/tablerows.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The folder's files but the locks the routines take, each with its bytes' digest.
QStringList folderState(const QString& path)
{
    QStringList state;
    for (const QString& name : QDir(path).entryList(QDir::Files | QDir::Hidden, QDir::Name))
        if (!name.endsWith(u".lock"_s) && name != u"filler")
            state << name + u' ' + QString::number(qHash(TestFiles::contentOf(path + u'/' + name)));
    return state;
}

QStringList names(const QString& field)
{
    return field == u"-" ? QStringList() : field.split(u' ', Qt::SkipEmptyParts);
}

} // namespace

// Where the program and its tools find the program folder, and a data folder completed
// from the template, wholly or not at all.
class TestDataFolder : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_template; // as the build makes it
    QString m_own;      // another folder, made afresh

    QString folder(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        m_template = folder(u"template"_s);
        m_own = folder(u"own"_s);
        StarterData::createProgramFolder(m_template, u"Brisklander"_s);
        StarterData::createProgramFolder(m_own, u"Brisklander"_s);
    }

    void rule_data() { addTableRows(u"core/folder/datafolder-rules.txt"_s); }

    void rule()
    {
        QFETCH(QStringList, row);
        QTemporaryDir dir;
        const QString working = QDir::currentPath();
        const auto back = qScopeGuard([&working] { QDir::setCurrent(working); });
        QVERIFY(QDir::setCurrent(dir.path()));
        for (QString& field : row)
            field.replace(u"{t}"_s, dir.path()).replace(u"{cwd}"_s, QDir::currentPath());
        const QString bin = dir.filePath(u"bin"_s);
        QVERIFY(QDir().mkpath(bin));
        std::unique_ptr<ReadOnlyFolder> readOnly;
        if (!row[5].isEmpty()) {
            const QString beside = bin + u'/' + row[5].section(u' ', 1);
            QVERIFY(writeFile(beside, "[SETTINGS]\r\n"));
            if (row[5].startsWith(u"read-only") && runningAsRoot()) {
                readOnly = std::make_unique<ReadOnlyFolder>(bin);
                QVERIFY(readOnly->isReadOnly());
            } else if (row[5].startsWith(u"read-only")) {
                QVERIFY(QFile::setPermissions(beside, QFile::ReadOwner));
            }
        }
        const QString expected = row[7];
        if (!expected.startsWith(u"error: ")) {
            QVERIFY(QDir().mkpath(expected));
            for (const QString& name : names(row[6]))
                QVERIFY(writeFile(expected + u'/' + name, "x"));
        }
        const DataFolder::Choice choice =
            DataFolder::choose(bin, row[0], row[1], {row[2], row[3], row[4]});
        if (expected.startsWith(u"error: ")) {
            QCOMPARE(choice.error, expected.mid(7));
            QVERIFY(choice.folder.isEmpty());
            return;
        }
        QCOMPARE(choice.error, QString());
        QCOMPARE(choice.folder, expected);
        QCOMPARE(choice.settingsName(), row[8]);
        QCOMPARE(choice.incomplete ? u"yes"_s : u"no"_s, row[9]);
    }

    // The files the folder lacks come from the template, byte for byte, the workgroup
    // file and the database only together; no file of the folder changes, and a folder
    // refused is left as it was.
    void completeFromTemplate_data() { addTableRows(u"core/folder/datafolder-template.txt"_s); }

    void completeFromTemplate()
    {
        QFETCH(QStringList, row);
        QTemporaryDir dir;
        const QString target = dir.filePath(u"data"_s);
        QVERIFY(QDir().mkpath(target));
        QString from = m_template;
        for (const QString& what : row[0].split(u", "_s)) {
            const QString name = u"Brisklander."_s + what.section(u' ', -1);
            if (what.startsWith(u"own"))
                QVERIFY(QFile::copy(m_own + u'/' + name, target + u'/' + name));
            else if (what == u"template's mdw")
                QVERIFY(QFile::copy(m_template + u'/' + name, target + u'/' + name));
            else if (what == u"stale mdb.new")
                QVERIFY(writeFile(target + u"/Brisklander.mdb.new"_s, "half a database"));
            else if (what == u"template lacks mdb") {
                from = dir.filePath(u"template"_s);
                QVERIFY(QDir().mkpath(from));
                for (const QString& file : {u"Brisklander.mdw"_s, u"Brisklander.INI"_s})
                    QVERIFY(QFile::copy(m_template + u'/' + file, from + u'/' + file));
            }
        }
        const QStringList before = folderState(target);
        try {
            const StarterData::Result result =
                StarterData::createProgramFolder(target, row[1], QString(), from);
            QVERIFY2(row[4].isEmpty(), "not refused");
            QCOMPARE(result.created, names(row[2]));
            QCOMPARE(result.kept, names(row[3]));
            for (const QString& name : result.created)
                QCOMPARE(
                    TestFiles::contentOf(target + u'/' + name),
                    TestFiles::contentOf(m_template + u'/' +
                                         (name.endsWith(u".INI") ? u"Brisklander.INI"_s : name)));
            for (const QString& name : result.kept)
                QVERIFY(before.contains(folderState(target).filter(name + u' ').value(0)));
            QCOMPARE(QDir(target).entryList({u"*.new"_s}, QDir::Files), QStringList());
        } catch (const Db::DbError& error) {
            QVERIFY2(!row[4].isEmpty(), qPrintable(error.description()));
            QVERIFY2(error.description().contains(row[4]), qPrintable(error.description()));
            QCOMPARE(folderState(target), before);
        }
    }

    // A disk that fills up during the copy or the making of a folder leaves the folder as
    // it was, the operator's settings file in it, and says why.
    void fullDiskLeavesTheFolderAsItWas_data()
    {
        QTest::addColumn<bool>("fromTemplate");
        QTest::newRow("copied from the template") << true;
        QTest::newRow("made afresh") << false;
    }

    void fullDiskLeavesTheFolderAsItWas()
    {
        QFETCH(bool, fromTemplate);
        if (!runningAsRoot())
            QSKIP("A small disk needs root.");
        QTemporaryDir dir;
        const QString target = dir.filePath(u"disk"_s);
        TinyDisk disk(target, "64k");
        QVERIFY(disk.isMounted());
        QVERIFY(writeFile(target + u"/Brisklander.INI"_s, "[COMPANY]\r\nNAME=Harborview Air\r\n"));
        const QStringList before = folderState(target);
        try {
            StarterData::createProgramFolder(target, u"Brisklander"_s, QString(),
                                             fromTemplate ? m_template : QString());
            QFAIL("a full disk took the files");
        } catch (const Db::DbError& error) {
            if (fromTemplate) {
                QCOMPARE(
                    error.description(),
                    u"Could not write '%1/Brisklander.mdb.new': No space left on device."_s.arg(
                        target));
                QCOMPARE(error.number(), Db::Error::DiskFull);
            }
            QVERIFY2(!error.description().isEmpty(), "said nothing");
        }
        QCOMPARE(folderState(target), before);
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
