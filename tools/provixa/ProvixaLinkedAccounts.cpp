#include "tools/provixa/ProvixaLinkedAccounts.h"

#include "tools/provixa/ProvixaText.h"

#include <sqlite3.h>

#include <filesystem>

ProvixaLinkedAccounts::ProvixaLinkedAccounts() : m_database(nullptr, sqlite3_close), m_lookUp(nullptr, sqlite3_finalize)
{
}

bool ProvixaLinkedAccounts::Prepare(std::string* error)
{
    if (m_lookUp)
        return true;
    std::filesystem::path file;
    if (!ProvixaInstallation::DatabaseFile(&file, error))
        return false;
    ProvixaInstallation::Database db = ProvixaInstallation::OpenDatabase(file, error);
    if (!db)
        return false;
    sqlite3_stmt* statement = nullptr;
    const char* sql = "SELECT USER_ACCOUNT.ACCOUNTID FROM USERS "
                      "JOIN USER_ACCOUNT ON USER_ACCOUNT.USERID = USERS.USERID "
                      "WHERE USERS.LOGONID = ? COLLATE NOCASE ORDER BY USER_ACCOUNT.USER_ACCOUNTID";
    if (sqlite3_prepare_v3(db.get(), sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK)
    {
        *error = std::string("cannot read the linked accounts: ") + sqlite3_errmsg(db.get());
        return false;
    }
    m_database = std::move(db);
    m_lookUp.reset(statement);
    return true;
}

bool ProvixaLinkedAccounts::Find(const std::string& logonId, std::wstring* sid, std::string* error)
{
    if (!Prepare(error))
        return false;
    sqlite3_stmt* const statement = m_lookUp.get();
    // Reset on every path: a statement left stepping would hold its read transaction, and the
    // next look-up would not see what others committed meanwhile.
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> reset(statement, [](sqlite3_stmt* done) {
        sqlite3_clear_bindings(done);
        return sqlite3_reset(done);
    });
    sqlite3_bind_text(statement, 1, logonId.data(), static_cast<int>(logonId.size()), SQLITE_TRANSIENT);
    const int stepped = sqlite3_step(statement);
    // Only a query that ran to its end without a row means that no account is linked.
    if (stepped != SQLITE_ROW && stepped != SQLITE_DONE)
    {
        *error = std::string("cannot read the linked accounts: ") + sqlite3_errmsg(m_database.get());
        return false;
    }
    if (stepped != SQLITE_ROW || sqlite3_column_text(statement, 0) == nullptr)
    {
        *error = "no Windows account is linked to the user " + logonId;
        return false;
    }
    *sid = ProvixaText::FromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    return true;
}
