#include "platform/mfc/ModuleState.h"

#include "platform/win32/ThreadSafety.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

// The application objects alive in the process, oldest first.
class AppRegistry
{
public:
    static AppRegistry& Instance()
    {
        static AppRegistry registry;
        return registry;
    }

    void Add(CWinApp* app)
    {
        CheckedMutexLock lock(m_lock);
        m_apps.push_back(app);
    }

    void Remove(CWinApp* app)
    {
        CheckedMutexLock lock(m_lock);
        std::erase(m_apps, app);
    }

    CWinApp* Default()
    {
        CheckedMutexLock lock(m_lock);
        return m_apps.empty() ? nullptr : m_apps.back();
    }

private:
    CheckedMutex m_lock;
    std::vector<CWinApp*> m_apps GUARDED_BY(m_lock);
};

// The calling thread's switch: when active, app replaces the process default.
struct ThreadSwitch
{
    bool active = false;
    CWinApp* app = nullptr;
};

thread_local ThreadSwitch t_switch;
thread_local AFX_MODULE_STATE t_moduleState;

}  // namespace

CWinApp::CWinApp(LPCWSTR appName) : m_pszAppName(appName)
{
    AppRegistry::Instance().Add(this);
}

CWinApp::~CWinApp()
{
    AppRegistry::Instance().Remove(this);
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

CWinApp* AfxGetApp()
{
    return t_switch.active ? t_switch.app : AppRegistry::Instance().Default();
}

AFX_MODULE_STATE* AfxGetModuleState()
{
    t_moduleState.m_pCurrentWinApp = AfxGetApp();
    return &t_moduleState;
}

CModuleStateSwitch::CModuleStateSwitch(CWinApp* app) : m_previousActive(t_switch.active), m_previousApp(t_switch.app)
{
    t_switch.active = true;
    t_switch.app = app;
}

CModuleStateSwitch::CModuleStateSwitch(const AFX_MODULE_STATE* state)
    : CModuleStateSwitch(state == nullptr ? nullptr : state->m_pCurrentWinApp)
{
}

CModuleStateSwitch::~CModuleStateSwitch()
{
    t_switch.active = m_previousActive;
    t_switch.app = m_previousApp;
}
