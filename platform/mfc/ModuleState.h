// The application object and the module state: which CWinApp the code running on a thread
// belongs to.
//
// The process keeps the application objects that are alive; the most recently constructed
// one is the process's default. A thread may switch its current application object for the
// length of a call with CModuleStateSwitch (AFX_MANAGE_STATE); otherwise it sees the default.
// The process list is guarded by a lock; the switch is per thread. An application object must
// outlive every switch that names it.
#pragma once

#include "platform/win32/WinTypes.h"

// Base of the application objects. Construction registers the object with the process (it
// becomes the default); destruction removes it (the previous one becomes the default again).
// Not copyable.
class CWinApp
{
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Called by the host once after construction: TRUE to go on (the base does nothing).
    virtual BOOL InitInstance();
    // Called by the host before destruction: the exit code (the base answers 0).
    virtual int ExitInstance();

    // The name given at construction (null when none); points at the caller's text, which
    // must outlive the object.
    LPCWSTR m_pszAppName;
};

// A snapshot of the calling thread's module state.
struct AFX_MODULE_STATE
{
    CWinApp* m_pCurrentWinApp = nullptr;
};

// The calling thread's module state, refreshed on each call: its current application object
// (the switched one, or else the process's default, or null when there is none). The pointer
// belongs to the thread and stays valid for its lifetime.
AFX_MODULE_STATE* AfxGetModuleState();

// The calling thread's current application object; null when there is none.
CWinApp* AfxGetApp();

// Makes an application object (or, for a module state, its application object) the calling
// thread's current one until the guard is destroyed, whatever way the scope is left; the
// previous choice is then restored, so guards nest. A null object means "none". Not copyable;
// must be destroyed on the thread that made it.
class CModuleStateSwitch
{
public:
    explicit CModuleStateSwitch(CWinApp* app);
    explicit CModuleStateSwitch(const AFX_MODULE_STATE* state);
    ~CModuleStateSwitch();
    CModuleStateSwitch(const CModuleStateSwitch&) = delete;
    CModuleStateSwitch& operator=(const CModuleStateSwitch&) = delete;

private:
    bool m_previousActive;
    CWinApp* m_previousApp;
};

#define AFX_MANAGE_STATE(target) CModuleStateSwitch afxModuleStateSwitch_(target)
