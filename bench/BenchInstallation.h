// BenchInstallation: the installation the benchmarks run against. A temporary PROVIXA_HOME whose
// database is built from db/schema.sql and db/demo.sql, with a caller SID linked to the demo
// system administrator and cardholder segmentation on; the application object made current and initialised on it; and a
// read-write connection of its own that fills the benched tables with generated rows.
//
// Owned by main, one per process (the application attaches its database once). Not thread-safe:
// the benchmarks run on the thread that built it, which must also destroy it.
#pragma once

#include <filesystem>
#include <memory>

struct sqlite3;
class CModuleStateSwitch;

class BenchInstallation
{
public:
    // Builds the home and its database and initialises theApp. Throws std::runtime_error when a
    // file cannot be read or written or a statement fails.
    BenchInstallation();
    // Ends the application and removes the home.
    ~BenchInstallation();
    BenchInstallation(const BenchInstallation&) = delete;
    BenchInstallation& operator=(const BenchInstallation&) = delete;

    // The SID that the installation links to the system administrator (USERID -1).
    static const wchar_t* AdministratorSid();

    // The SID of the demo's segment-restricted operator.
    static const wchar_t* OperatorSid();

    // Generated persons are spread over segments 1..kPersonSegments (the operator sees 1 and
    // 2); every kVisitorEvery-th is a visitor, the others cardholders.
    static constexpr int kPersonSegments = 3;
    static constexpr int kVisitorEvery = 10;

    // The installation's database file; valid for the life of the object.
    const std::filesystem::path& DatabaseFile() const { return m_databaseFile; }

    // Makes EVENTYPE hold exactly the event types 1..rowCount (generated descriptions), in one
    // transaction; nothing is written when it already does. Throws std::runtime_error on a
    // database error or a row count below 1.
    void FillEventTypes(int rowCount);

    // Makes EMP hold the demo's persons and personCount generated ones (cardholders with their
    // UDFEMP row, and visitors), in one transaction; nothing is written when it already does.
    // Throws std::runtime_error on a database error or a count below 1.
    void FillPersons(int personCount);

private:
    struct DatabaseCloser
    {
        void operator()(sqlite3* database) const;
    };

    // Set at construction.
    std::filesystem::path m_home;
    std::filesystem::path m_databaseFile;
    std::unique_ptr<sqlite3, DatabaseCloser> m_database;
    std::unique_ptr<CModuleStateSwitch> m_applicationSwitch;

    // The row count FillEventTypes last wrote; 0 before the first fill.
    int m_eventTypeRows = 0;
    // The generated person count FillPersons last wrote; 0 before the first fill.
    int m_personRows = 0;
};
