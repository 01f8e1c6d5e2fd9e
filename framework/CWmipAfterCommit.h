// CWmipAfterCommit: the road of a method that asks a server (a hardware command or a live status
// read, a tour's launch, an alarm's acknowledgement, an event's hand-over). What the method
// decides (the record it acts on, the permission step, the records it names, its own checks and
// rows) runs in one write frame under the database's write lock; the server is asked only after
// that frame has committed, on the same thread, with no transaction open. A slow or hung server
// then holds no writer of the installation for the length of its call, and a frame that
// refused or rolled back asks nobody. The method's answer waits for the call.
//
// Static; each RunMethod is one request on the calling thread. No state.
#pragma once

#include "framework/CWmipWriteFrame.h"
#include "inhouse/BntCoreDb/CBntCommitQueue.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"

#include <functional>

class CWmipAfterCommit
{
public:
    // The server step: runs after the commit; its answer is the method's.
    using Call = std::function<HRESULT()>;

    static constexpr const wchar_t* kInsideAnotherWrite =
        L"A method that asks a server cannot run inside another write's transaction.";

    CWmipAfterCommit() = delete;

    // CWmipWriteFrame::RunMethod with these arguments, then, when it answered S_OK, `call`: its
    // answer is the method's. Any other answer of the frame is the method's and nothing is
    // called; the exceptions of either pass out unchanged. `rows` says whether the method leaves
    // rows, in the frame or after the call (an audit record): one that does is refused by the
    // frame, before anyone is asked, on a database this process may not write. Throws
    // CWMIException WBEM_E_FAILED with kInsideAnotherWrite (naming `source`), before the frame,
    // when a transaction is already open on this thread: its lock would still be held during
    // the call.
    static HRESULT RunMethod(const wchar_t* source, CWmipClassMapper& mapper, CWmipObjectPath* path,
                             const wchar_t* method, IWbemClassObject* inParams, CWmipWriteFrame::MethodRows rows,
                             const CWmipWriteFrame::MethodOpening& opening, const CWmipWriteFrame::MethodWrite& write,
                             const Call& call)
    {
        if (CBntCommitQueue::OpenLevels() != 0)
            throw brontel::utility::CWMIException(source, __LINE__, WBEM_E_FAILED, kInsideAnotherWrite);
        const HRESULT framed = CWmipWriteFrame::RunMethod(mapper, path, method, inParams, opening, write, rows);
        return framed == S_OK ? call() : framed;
    }
};
