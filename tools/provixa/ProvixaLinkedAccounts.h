// ProvixaLinkedAccounts: finds the Windows account linked (USER_ACCOUNT) to a system user for
// the host's --as, on one database connection kept for the life of the run: a batch names its
// caller on every line, and opening the database parses its whole schema each time.
//
// No read transaction outlives a look-up, so every look-up sees what other processes have
// committed since (a user or an account link changed meanwhile). Owned by the host's run; used
// on its one thread.
#pragma once

#include "tools/provixa/ProvixaInstallation.h"

#include <memory>
#include <string>

struct sqlite3_stmt;

class ProvixaLinkedAccounts
{
public:
    ProvixaLinkedAccounts();
    ProvixaLinkedAccounts(const ProvixaLinkedAccounts&) = delete;
    ProvixaLinkedAccounts& operator=(const ProvixaLinkedAccounts&) = delete;

    // The SID text of the account linked to the system user whose LOGONID is `logonId`
    // (without regard to case; when there are several, the first linked: the lowest
    // USER_ACCOUNTID, as the ids are given out in ascending order). True with *sid;
    // false with *error when the database cannot be read or no account is linked to that user.
    // The connection is opened at the first look-up and kept; one that could not be opened is
    // tried again at the next.
    bool Find(const std::string& logonId, std::wstring* sid, std::string* error);

private:
    // Opens the connection and prepares the look-up; false with *error.
    bool Prepare(std::string* error);

    // Declared in destruction order: the statement is finalized before its connection closes.
    ProvixaInstallation::Database m_database;
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> m_lookUp;
};
