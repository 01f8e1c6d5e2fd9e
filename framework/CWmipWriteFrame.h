// CWmipWriteFrame: the one frame of every write a request makes (the framework's put and delete,
// a mapper's own put, every method that writes or acts on a record, and a door's writes of records
// no mapper serves: a bus subscription's add, modify and disable). It takes the mapper's (or the
// caller's) connection with the write lock (CBntTransaction: BEGIN IMMEDIATE), and inside that one
// transaction runs the opening step (the read of the record the request acts on and the
// permission step), the records the request names (CWmipClassMapper::RequireVisibleNamedRecords),
// then the write step (the mapper's own checks and every row). What the write tells the outside
// world is handed to CBntCommitQueue::Defer inside it and leaves only after the commit.
//
// So the caller's authority over every record it names is decided under the same lock as the
// rows it writes: a record moved out of the caller's segments before the frame takes the lock
// answers as hidden, and no other writer can move it between the check and the write. A frame
// opened inside another (a nested mapper's write) is a savepoint of the outer transaction.
//
// The caller's own rights, and the class definitions the request judges its values by, are held
// to the same moment: inside a door's request (AnswerCallerRequest) the outermost frame compares,
// first thing under its lock, both stamps (one read of both rows in the frame's own transaction)
// with those the request read: the caller's rights stamp (CAcsUser::GetRightsStamp, as the user
// caches compare it) and the list stamp its definitions were served under
// (CStoredStamps::RequestScope, fixed by the request's first read of the stamps). When either moved while the request
// waited, the frame writes nothing and the door answers the request anew: its caller's look-up renews the entry from
// the stored rows by the user caches' own road and reads the stamps again, and every check, the door's admission and
// the class definitions (options, field layout, value lists) included, runs as in a request starting after the change,
// with its refusal, code and text.
//
// Stateless: each Run is one request on the calling thread; the request being answered is the
// thread's own; the test hook is process-wide and guarded by its own lock.
#pragma once

#include "platform/win32/WinTypes.h"

#include <functional>

class CAcsUser;
class CBntDatabase;
class CDBException;
class CWmipClassMapperHooks;
class CWmipObjectPath;
class IWbemClassObject;

class CWmipWriteFrame
{
public:
    // What a method leaves in the database: rows (its own, written in the frame, or an audit
    // record written after the commit), or none (it only decides under the lock what a server
    // is asked).
    enum class MethodRows
    {
        Written,
        None
    };

    using Opening = std::function<void()>;
    using Write = std::function<HRESULT(CBntDatabase& database)>;
    using MethodOpening = std::function<void(IWbemClassObject* instance)>;
    using MethodWrite = std::function<HRESULT(IWbemClassObject* instance, CBntDatabase& database)>;

    // Runs one write on the mapper's connection: the write lock, `opening`, the records `named`
    // names (of the instance's properties for a null method, else of the method's input
    // parameters; null names none), `write`, and the commit when `write` succeeds. A failed
    // HRESULT from `write`, or a throw from any step, rolls everything back. Returns what
    // `write` returned. Throws CWMIException 0x80041001 CWmipMessages::kNoConnection without a
    // connection; on a connection that can only read (a database this process may not write),
    // before any step, the CDBException every write meets there
    // (CBntDatabase::RequireWritable); and whatever a step or the database throws (the caller
    // turns a CDBException into its own answer).
    static HRESULT Run(CWmipClassMapperHooks& mapper, const Opening& opening, IWbemClassObject* named,
                       const wchar_t* method, const Write& write);

    // A write of records no mapper serves (a bus subscription's add, modify and disable): the same
    // frame on the caller's own connection, with no record read first and none named: the write
    // lock, inside a door's request the caller's stamps compared (see above), `write`, and the
    // commit when it succeeds. Results and throws as Run's, the caller's connection standing for
    // the mapper's.
    static HRESULT RunForCaller(const CAcsUser& caller, const Write& write);

    // A method: the same, with the record the path names read first inside the transaction as
    // the caller (GetCurrentInstance): one it may not see, like one that does not exist, answers
    // 0x80041002 CWmipMessages::kNotFound. A null path is a static method: no record is read and
    // the steps get a null instance. The instance handed to the steps lives until Run returns.
    // A method that leaves no rows (MethodRows::None) runs on a connection that can only read.
    // A database failure of any step, the frame's own included, is answered by ThrowNotWritten
    // with CWmipMessages::kMethodNotWritten.
    static HRESULT RunMethod(CWmipClassMapperHooks& mapper, CWmipObjectPath* path, const wchar_t* method,
                             IWbemClassObject* inParams, const MethodOpening& opening, const MethodWrite& write,
                             MethodRows rows = MethodRows::Written);

    // A write's database failure, answered as every write answers it: logged as an error line
    // (`what`, then the engine's own words), a lost connection passed on unchanged (the door
    // opens a new one), any other failure thrown as CWMIException 0x80041001 with `message`, a
    // general text to which the door adds the cause in words a person acts on
    // (CBntDatabase::TakeLastFailureCause), so that the cause is said once. Call only inside the
    // handler that caught `failure`. RunMethod answers every method's failure so.
    [[noreturn]] static void ThrowNotWritten(const wchar_t* source, int line, const wchar_t* what,
                                             const CDBException& failure, const wchar_t* message);

    // Runs one request of a door's caller: `request`, inside a CStoredStamps::RequestScope of
    // its own, during which the outermost write frame compares the caller's stored rights and the
    // request's list stamp under its lock (see above). When a frame found either
    // moved, whatever the request then did with the frame's refusal, `renew` gives back what the
    // request held of its caller (its mapper, the entry its look-ups share) and `request` runs
    // again, at most kCallerAttempts times in all; in the last one a frame that still finds them
    // moved refuses the write: 0x80041003 CWmipMessages::kAccessDenied. Returns what the last
    // run of `request` returned and throws what it threw. A request answered inside another
    // (on the same thread) is that one's part and runs once.
    static constexpr int kCallerAttempts = 4;
    static HRESULT AnswerCallerRequest(const std::function<HRESULT()>& request, const std::function<void()>& renew);

    // Test hook; never called by the system. Until it is cleared (null), every outermost frame
    // runs `hook` after the request has been read and before the frame takes the write lock: the
    // last moment another writer can change what the frame decides on. A request that split its
    // checks and its write over two frames would meet it between them.
    static void TestHookBeforeLock(std::function<void()> hook);

private:
    // Run, refusing a connection that can only read when the request writes.
    static HRESULT RunFrame(CWmipClassMapperHooks& mapper, const Opening& opening, IWbemClassObject* named,
                            const wchar_t* method, const Write& write, MethodRows rows);
    // The frame itself on `database` (null: no connection): the test hook, the caller whose stamps
    // are compared (`caller`, asked only in the outermost frame of a door's request, before the
    // lock; null when it cannot be resolved), the lock, the comparison, `steps`, the commit.
    static HRESULT RunLocked(CBntDatabase* database, MethodRows rows, const std::function<const CAcsUser*()>& caller,
                             const Write& steps);
};
