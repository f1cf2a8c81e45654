#include "core/db/transaction.h"

#include "core/db/dberror.h"
#include "core/db/workspace.h"

namespace Db {

Transaction::Transaction(Workspace& workspace, Kind kind)
    : m_workspace(workspace.shared_from_this())
{
    if (kind == Kind::Read)
        m_workspace->beginReadTrans();
    else
        m_workspace->beginTrans();
    m_pending = true;
}

Transaction::~Transaction()
{
    if (!m_pending)
        return;
    try {
        rollback();
    } catch (const DbError&) {
        // A destructor cannot report; the workspace rolls back whatever it still
        // holds when it is closed.
    }
}

void Transaction::commit()
{
    m_workspace->commitTrans();
    m_pending = false;
}

void Transaction::rollback()
{
    m_pending = false;
    if (m_workspace->inTransaction())
        m_workspace->rollback();
}

} // namespace Db
