// CBntAcsDBMgrCardholder: the cardholder database manager of a logged-in user: the database it
// works on, the user on whose behalf it works and the user-defined-field layout it uses.
//
// Owned by a user-cache entry, which sets it up once under its entry lock; afterwards only
// read. The database, the user and the layout's database must outlive it.
#pragma once

#include <memory>

#include "inhouse/BntUserDb/LUDFDbMgr.h"

class CAcsUser;
class CBntDatabase;

class CBntAcsDBMgrCardholder {
public:
    CBntAcsDBMgrCardholder() = default;
    CBntAcsDBMgrCardholder(const CBntAcsDBMgrCardholder&) = delete;
    CBntAcsDBMgrCardholder& operator=(const CBntAcsDBMgrCardholder&) = delete;

    void SetPrimaryDatabase(CBntDatabase* database) { m_database = database; }
    void SetUser(const CAcsUser* user) { m_user = user; }
    // Takes the layout read for this manager.
    void SetUDFLayout(std::unique_ptr<LUDFDbMgr> layout) { m_layout = std::move(layout); }

    CBntDatabase* GetPrimaryDatabase() const { return m_database; }
    const CAcsUser* GetUser() const { return m_user; }
    // The layout; null until one is set.
    const LUDFDbMgr* GetUDFLayout() const { return m_layout.get(); }

private:
    CBntDatabase* m_database = nullptr;
    const CAcsUser* m_user = nullptr;
    std::unique_ptr<LUDFDbMgr> m_layout;
};
