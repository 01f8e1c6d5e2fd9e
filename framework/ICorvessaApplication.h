// ICorvessaApplication: the mark of the bus front end's application object.
//
// The front end's application class (CCorvessaBaseApp) derives from this next to its CWinApp
// base (through CWmipApp); no other application does. WMIHelper::IsCorvessaApplication asks the
// calling thread's current application object (AfxGetApp) whether it carries the mark, so the
// answer follows the object that is actually running, module-state switches included. While
// the application object is still being constructed, its base constructors do not see the
// mark yet.
// No state; nothing to guard.
#pragma once

class ICorvessaApplication
{
public:
    virtual ~ICorvessaApplication() = default;

protected:
    ICorvessaApplication() = default;
    ICorvessaApplication(const ICorvessaApplication&) = default;
    ICorvessaApplication& operator=(const ICorvessaApplication&) = default;
};
