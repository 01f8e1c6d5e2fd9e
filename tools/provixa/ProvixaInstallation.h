// ProvixaInstallation: the installation in PROVIXA_HOME as the provixa host sets it up and
// reads it: registry.ini with the values the system reads under SOFTWARE\Brontel\Ivarune,
// ACS.INI naming the data source, and the SQLite database built from the embedded
// db/schema.sql and db/demo.sql.
//
// Stateless (everything lives in the files); the functions run on the host's one thread.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

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

    // The database of an installation that is there to be used, found without creating
    // anything (a refused run leaves no empty home behind). False with *error when the home,
    // the data source or the database file is missing (what to do is "run 'provixa init'"), or
    // when the file cannot be read as the installation's database (saying why).
    static bool Existing(std::filesystem::path* file, std::string* error);

    // Why a write to the database cannot succeed for this account ("the installation in HOME is
    // read-only for this account"); empty when the account may write it.
    static std::string ReadOnlyReason(const std::filesystem::path& database);

    // Runs the statements; *values (when given) receives every value of every row they return,
    // in order, a row's columns side by side (NULL as an empty text). False with *error the
    // engine's words.
    static bool Execute(sqlite3* db, std::string_view sql, std::string* error,
                        std::vector<std::string>* values = nullptr);

    // The reason for the last failure (`rc`) on the connection (null: no connection was had): its
    // cause when it has one a person can act on (a full disk, a lock held by another process, a
    // read-only file), which says all the engine's general text says; else the engine's text.
    static std::string EngineReason(sqlite3* db, int rc);

    // An open database file, closed when the handle goes.
    using Database = std::unique_ptr<sqlite3, int (*)(sqlite3*)>;
    // Opens the database as the provider does (read-write, waiting for a busy database as
    // long as the provider does); a file the process may not write is opened read-only, as
    // immutable when that is the only way to read it (CBntConnection::ImmutableUri). A null
    // handle with *error when it cannot be opened.
    static Database OpenDatabase(const std::filesystem::path& file, std::string* error);
};
