// SimulatedServer: the recording and answering half of a simulated server (hardware driver,
// linkage or configuration server). Every call is recorded (procedure number and name, the
// block as it arrived) and answered with the answer configured for its procedure, or the
// default answer: a transport status (RPC_S_OK lets the call complete), the two status words
// and out-data written over the block (patches at offsets and an optional fill routine), never
// past the block's end. An observer, when set, sees each call after it was answered.
//
// Owned through std::shared_ptr by the test or host that registers it and by the endpoint
// table. Thread-safe: clients call from any thread; m_lock guards the log and the answers; a
// test may wait for calls made on other threads.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/ThreadSafety.h"
#include "platform/rpc/RpcStatus.h"
#include "platform/win32/WinTypes.h"

namespace support {

struct SimulatedCall
{
    LONG procedure = 0;
    std::wstring name;
    // The block as the client sent it, before the answer's out-data.
    std::vector<BYTE> block;
};

struct SimulatedAnswer
{
    RPC_STATUS transport = RPC_S_OK;
    LONG first = 0;
    LONG second = 0;
    // Bytes written at offsets of the block (cut at its end).
    std::vector<std::pair<std::size_t, std::vector<BYTE>>> patches;
    // Runs last on the block (may be empty).
    std::function<void(std::span<BYTE>)> fill;

    // An answer with these status words.
    static SimulatedAnswer Status(LONG first, LONG second = 0);
    // A call that does not complete.
    static SimulatedAnswer Failing(RPC_STATUS transport = RPC_S_CALL_FAILED);
    // A success that writes the patches, with the first status word given.
    static SimulatedAnswer Patched(std::vector<std::pair<std::size_t, std::vector<BYTE>>> patches, LONG first = 0);
};

class SimulatedServer
{
public:
    explicit SimulatedServer(std::wstring serverName);
    virtual ~SimulatedServer();
    SimulatedServer(const SimulatedServer&) = delete;
    SimulatedServer& operator=(const SimulatedServer&) = delete;

    // The name the server reports itself by ("driver server").
    const std::wstring& ServerName() const { return m_serverName; }

    // The answer to every procedure that has none of its own.
    void SetDefaultAnswer(SimulatedAnswer answer);
    // The answer to one procedure.
    void SetAnswer(LONG procedure, SimulatedAnswer answer);
    // Called after each answered call, outside the lock.
    void SetObserver(std::function<void(const SimulatedServer&, const SimulatedCall&)> observer);

    // The calls so far, in order; a copy.
    std::vector<SimulatedCall> Calls() const;
    // The calls of one procedure.
    std::vector<SimulatedCall> CallsOf(LONG procedure) const;
    void ClearCalls();
    // True once at least `count` calls are in the log; waits at most `timeout`, a bound that
    // only keeps a broken client from hanging the test.
    bool WaitForCalls(std::size_t count, std::chrono::milliseconds timeout);

    // One line describing a call: "driver server received procedure 5 SetPanelClock, 4 bytes:
    // 01 00 00 00" (blocks longer than 64 bytes are shown up to 64 with "...").
    std::wstring Describe(const SimulatedCall& call) const;

protected:
    // Records the call and answers it: the transport status; on RPC_S_OK the status words
    // (*first, *second when given) and the out-data are written.
    RPC_STATUS Answer(LONG procedure, const wchar_t* name, std::span<BYTE> block, LONG* first, LONG* second);

private:
    const std::wstring m_serverName;

    mutable CheckedMutex m_lock;
    std::condition_variable m_called;
    std::vector<SimulatedCall> m_calls GUARDED_BY(m_lock);
    SimulatedAnswer m_defaultAnswer GUARDED_BY(m_lock);
    std::map<LONG, SimulatedAnswer> m_answers GUARDED_BY(m_lock);
    std::function<void(const SimulatedServer&, const SimulatedCall&)> m_observer GUARDED_BY(m_lock);
};

}  // namespace support
