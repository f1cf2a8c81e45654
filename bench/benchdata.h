#pragma once

// Airport databases of the sizes operators have, made once per size for the
// benchmarks: distinct four-character identifiers and realistic names.

#include "core/db/engine.h"
#include "core/db/schema.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

inline const char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

inline QString makeBenchDatabase(const QString& folder, int count)
{
    QDir().mkpath(folder);
    const QString workgroup = QDir(folder).filePath(Schema::WorkgroupFileName);
    const QString database = QDir(folder).filePath(Schema::DatabaseFileName);
    if (QFile::exists(database))
        return database;
    Db::DbEngine& engine = Db::DbEngine::instance();
    Db::DbEngine::createWorkgroupFile(workgroup, Schema::UserName, Schema::Password);
    engine.setSystemDB(workgroup);
    auto workspace =
        engine.createWorkspace(QStringLiteral("Bench"), Schema::UserName, Schema::Password);
    Schema::createDatabase(*workspace, database);
    auto db = workspace->openDatabase(database);
    workspace->beginTrans();
    auto set = db->openRecordset(QStringLiteral("Airports"));
    QRandomGenerator random(42);
    const QStringList words{"REGIONAL", "MUNICIPAL", "INTERNATIONAL", "COUNTY", "FIELD",
                            "AIRPARK",  "EXECUTIVE", "MEMORIAL",      "VALLEY", "LAKE"};
    for (int i = 0; i < count; ++i) {
        // Distinct identifiers: the row number in base 36, shuffled into the letters.
        QString id;
        int n = i * 7919 % (36 * 36 * 36 * 36);
        for (int k = 0; k < 4; ++k) {
            id.prepend(QLatin1Char(Letters[n % 36]));
            n /= 36;
        }
        set->addNew();
        set->setValue(QStringLiteral("ID"), id);
        set->setValue(QStringLiteral("NAME"), QStringLiteral("%1 %2 %3")
                                                  .arg(QChar(u'A' + random.bounded(26)))
                                                  .arg(words[random.bounded(10)])
                                                  .arg(i));
        set->setValue(QStringLiteral("STATE"), QStringLiteral("TX"));
        set->setValue(QStringLiteral("COUNTRY"), QStringLiteral("UNITED STATES"));
        set->setValue(QStringLiteral("ELEVATION"), random.bounded(9000));
        set->setValue(QStringLiteral("LATITUDE DEGREES"),
                      QStringLiteral("%1").arg(random.bounded(89), 2, 10, QLatin1Char('0')));
        set->setValue(QStringLiteral("LATITUDE MINUTES"), random.bounded(60));
        set->setValue(QStringLiteral("LATITUDE SECONDS"), random.bounded(60.0));
        set->setValue(QStringLiteral("LONGITUDE DEGREES"),
                      QStringLiteral("%1").arg(random.bounded(179), 3, 10, QLatin1Char('0')));
        set->setValue(QStringLiteral("LONGITUDE MINUTES"), random.bounded(60));
        set->setValue(QStringLiteral("LONGITUDE SECONDS"), random.bounded(60.0));
        set->setValue(QStringLiteral("RUNWAY LENGTH"), 1500 + random.bounded(12000));
        set->setValue(QStringLiteral("RUNWAY WIDTH"), 75 + random.bounded(100));
        set->setValue(QStringLiteral("TIME ZONE"), -6.0);
        set->setValue(QStringLiteral("PUB/MIL"), QStringLiteral("P"));
        set->update();
    }
    set.reset();
    workspace->commitTrans();
    workspace->close();

    Db::DbEngine::settleDatabaseFile(database);
    return database;
}
