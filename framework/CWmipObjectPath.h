// CWmipObjectPath: a parsed WMI object path: an optional \\server\namespace: prefix, the class
// name and its keys (names and value texts, in the order given), or the singleton form
// Class=@. Read from hostile text by CreateFromPath; built by the system with AddKey; written
// back as path text (GetPath) or as the condition on its keys that selects the instance
// (GetKeyCondition, which CWmipQuery::CreateFromObjectPath makes a query of).
//
// Owned by whoever creates it (CreateFromPath hands out unique_ptrs). A plain
// value: copyable; one object is not changed by two threads at once.
#pragma once

#include <memory>
#include <vector>

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class WqlExpression;

class CWmipObjectPath
{
public:
    // A path with no class and no keys.
    CWmipObjectPath() = default;
    // A class path (no keys yet). A null name gives an empty class name.
    explicit CWmipObjectPath(const wchar_t* className);

    // Parses path text in the one path grammar (WbemPathParser, which the WMI service reads
    // paths with too). A new path on success; null for a null, malformed or over-long text,
    // or a key name that is not a column identifier, with *error (when given) saying what is
    // wrong and where.
    static std::unique_ptr<CWmipObjectPath> CreateFromPath(const wchar_t* path, CString* error = nullptr);

    // Appends a key and its value text. False (nothing added) when the name is not an
    // identifier, is already a key, or the path holds WqlLimits::kMaxPathKeys keys.
    bool AddKey(const wchar_t* name, const wchar_t* value);
    // The same with the value formatted as "%d".
    bool AddKey(const wchar_t* name, LONG value);

    const CString& GetClassName() const { return m_className; }
    void SetClassName(const CString& className) { m_className = className; }
    // Server and namespace of a parsed prefix; empty when the path had none.
    const CString& GetServer() const { return m_server; }
    const CString& GetNamespace() const { return m_namespace; }
    // True for Class=@.
    bool IsSingleton() const { return m_singleton; }

    // Number of keys (0 for a class or singleton path).
    int GetKeyCount() const { return static_cast<int>(m_keyNames.size()); }
    // Key names and values, parallel, in insertion order.
    const std::vector<CString>& GetKeyNames() const { return m_keyNames; }
    const std::vector<CString>& GetKeyValues() const { return m_keyValues; }
    // True with the value of the key (name compared without regard to case); false when the
    // path has no such key.
    bool GetKeyValue(const wchar_t* name, CString& value) const;

    // The path text without server and namespace: Class, Class=@ or Class.Key="value",...
    // with every value quoted and escaped.
    void GetPath(CString& path) const;
    CString GetPath() const;

    // The WHERE clause that selects the instance, as text and as the tree the parser would make
    // of it: "WHERE " and Key = "value" comparisons joined with " AND " (values escaped, so a
    // value cannot change the query); both empty for a path without keys. False (nothing set)
    // when the class name is not an identifier or the class or a key name is a reserved word.
    bool GetKeyCondition(CString& whereText, std::unique_ptr<WqlExpression>& where) const;

private:
    CString m_server;
    CString m_namespace;
    CString m_className;
    bool m_singleton = false;
    std::vector<CString> m_keyNames;
    std::vector<CString> m_keyValues;
};
