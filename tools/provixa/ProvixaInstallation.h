// ProvixaInstallation: the installation in PROVIXA_HOME as the provixa host sets it up and
// reads it: registry.ini with the values the system reads under SOFTWARE\Brontel\Ivarune,
// ACS.INI naming the data source, and the SQLite database built from the embedded
// db/schema.sql and db/demo.sql; plus the Windows account linked to a system user.
//
// Stateless (everything lives in the files); the functions run on the host's one thread.
#pragma once

#include <filesystem>
#include <string>

class ProvixaInstallation
{
public:
    ProvixaInstallation() = delete;

    // Creates what is missing: the folder, the registry values (existing ones are kept), the
    // data source entry of ACS.INI (kept when present) and the database (kept when its file
    // exists; otherwise built under a temporary name and renamed when complete, so no file is
    // left behind when that fails). True with *report describing what was done; false with
    // *report saying what failed.
    static bool Create(std::string* report);

    // The database file the data source of ACS.INI names. False with *error when the data
    // source is not a SQLite file of this installation ("sqlite:PATH", PATH under the home
    // unless absolute).
    static bool DatabaseFile(std::filesystem::path* file, std::string* error);

    // The SID text of the Windows account linked (USER_ACCOUNT) to the system user whose
    // LOGONID is `logonId` (without regard to case). True with *sid; false with *error when
    // the database cannot be read or no account is linked to that user.
    static bool LinkedAccount(const std::string& logonId, std::wstring* sid, std::string* error);
};
