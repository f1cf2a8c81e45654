#pragma once

#include "core/db/dberror.h"
#include "core/errortext.h"
#include "gui/platform/platform.h"

// An engine error as the main window reports it: the normal pointer back, then the
// message under the given title.
inline void showDbError(const QString& title, const Db::DbError& error)
{
    Platform::pointer().setNormal();
    Platform::prompter().inform(Platform::Icon::Critical, title,
                                ErrorText::message(QStringLiteral("An Error Occurred:"), error));
}
