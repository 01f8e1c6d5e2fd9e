// The work that an ostrum::Thread runs when it is given an object instead of being derived.
//
// Owned by the caller; it must outlive the thread that runs it.
#pragma once

namespace ostrum {

class Runnable
{
public:
    // The thread's work; runs on the thread.
    virtual void run() = 0;
    virtual ~Runnable() = default;
};

}  // namespace ostrum
