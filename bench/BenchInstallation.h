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

    // The SID of the demo's porter: the operator's rights in segment 1 only.
    static const wchar_t* PorterSid();

    // Generated persons are spread over segments 1..kPersonSegments (the operator sees 1 and
    // 2); every kVisitorEvery-th is a visitor, the others cardholders. The n-th (from 0) has the
    // id kFirstGeneratedPerson + n and segment n % kPersonSegments + 1.
    static constexpr int kPersonSegments = 3;
    static constexpr int kVisitorEvery = 10;
    static constexpr int kFirstGeneratedPerson = 1001;
    // The access level every generated badge is linked to (the demo's, of segment 1).
    static constexpr int kGeneratedBadgeLevel = 1;

    // The installation's database file; valid for the life of the object.
    const std::filesystem::path& DatabaseFile() const { return m_databaseFile; }

    // Makes EVENTYPE hold exactly the event types 1..rowCount (generated descriptions), in one
    // transaction; nothing is written when it already does. Throws std::runtime_error on a
    // database error or a row count below 1.
    void FillEventTypes(int rowCount);

    // Makes EMP hold the demo's persons and personCount generated ones (cardholders with their
    // UDFEMP row, and visitors), in one transaction; nothing is written when it already does.
    // Throws std::runtime_error on a database error or a count below 1. Rewriting the persons
    // removes the generated badges.
    void FillPersons(int personCount);

    // Makes FillPersons(personCount) hold and gives each generated person one badge (its
    // BADGEKEY and EMPID the person's id, badge type 1), the badge's extension (BADGE_FIPS201)
    // and its link to kGeneratedBadgeLevel (BADGELINK), in one transaction; nothing is written
    // when they are there already. Throws std::runtime_error like FillPersons.
    void FillBadges(int personCount);

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
    // The generated person count FillBadges last wrote badges for; 0 when there are none.
    int m_badgeRows = 0;
};
