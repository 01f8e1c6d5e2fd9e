// CWmipListObjectClassCache: the installation's user-defined lists (DDTBL rows with ISLIST 1),
// one descriptor per list, keyed by the list's WMI class name ("Bnt_" + list table) without
// regard to case and walked in key order by the class listing.
//
// Built once by CWmipApp::GetListObjectCache with one pooled connection, which it keeps and
// gives back to its connection manager when destroyed (the manager must outlive it); every
// descriptor is loaded at construction and only read afterwards, so any thread may read it.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <map>

class CAcsUser;
class DBConnectionManager;

// One user-defined list.
struct CWmipListDescriptor
{
    // Length of a list entry's name.
    static constexpr int kNameLength = 255;

    LONG id = 0;
    CString className;
    CString displayName;
    // The list table: ID (key), NAME and optionally SEGMENTID.
    CString table;
};

class CWmipListObjectClassCache
{
public:
    // The prefix of a list's class name.
    static constexpr const wchar_t* kClassPrefix = L"Bnt_";

    // Loads the descriptors through connection (null: none loaded). A list whose table is not
    // an identifier is skipped; a database failure is logged and leaves the lists loaded so
    // far. manager (may be null) takes the connection back at destruction.
    CWmipListObjectClassCache(const CAcsUser* connection, DBConnectionManager* manager);
    virtual ~CWmipListObjectClassCache();
    CWmipListObjectClassCache(const CWmipListObjectClassCache&) = delete;
    CWmipListObjectClassCache& operator=(const CWmipListObjectClassCache&) = delete;

    // The descriptor of the class (without regard to case); null when there is none. Valid
    // for the cache's life.
    const CWmipListDescriptor* Find(const CString& className) const;
    // Class name -> descriptor, in key order.
    const std::map<CString, CWmipListDescriptor, CStringNoCaseLess>& GetDescriptors() const { return m_descriptors; }
    // The kept connection (null when none was given).
    const CAcsUser* GetConnection() const { return m_connection; }

private:
    // Set at construction.
    const CAcsUser* const m_connection;
    DBConnectionManager* const m_manager;
    std::map<CString, CWmipListDescriptor, CStringNoCaseLess> m_descriptors;
};
