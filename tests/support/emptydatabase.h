#pragma once

// An empty program database in a folder: its workgroup file made and set as the
// engine's, the workspace "AirportWS" opened, the tables created. For core tests that
// fill the rows they need.

#include "core/db/engine.h"
#include "core/db/schema.h"

#include <QDir>
#include <QString>

#include <memory>

inline std::shared_ptr<Db::Workspace> createEmptyDatabase(const QString& folder)
{
    QDir().mkpath(folder);
    const QString workgroup = QDir(folder).filePath(Schema::WorkgroupFileName);
    Db::DbEngine& engine = Db::DbEngine::instance();
    Db::DbEngine::createWorkgroupFile(workgroup, Schema::UserName, Schema::Password);
    engine.setSystemDB(workgroup);
    auto workspace =
        engine.createWorkspace(QStringLiteral("AirportWS"), Schema::UserName, Schema::Password);
    Schema::createDatabase(*workspace, QDir(folder).filePath(Schema::DatabaseFileName));
    return workspace;
}
