#pragma once

#include <memory>

namespace Db {

class Workspace;

// A transaction on a workspace that is rolled back when the guard goes away without
// commit(), so an exception between begin and commit never leaves one open. Every
// change the program makes to a database goes through one. The guard keeps its
// workspace, so a window may hold one for as long as it is open.
class Transaction
{
public:
    enum class Kind
    {
        Write,
        Read, // Workspace::beginReadTrans()
    };

    explicit Transaction(Workspace& workspace, Kind kind = Kind::Write);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    void rollback();
    // True from the beginning until commit() or rollback().
    bool isPending() const { return m_pending; }

private:
    std::shared_ptr<Workspace> m_workspace;
    bool m_pending = false;
};

} // namespace Db
