// The engine that a CCommLib creates: it delivers the port's events to its creator's hooks and is
// shared by the creator's copies.
#ifndef MOKACOMM_BOUND_COMM_PORT_ENGINE_H
#define MOKACOMM_BOUND_COMM_PORT_ENGINE_H

#include "base/Atomic.h"
#include "engine/CommPortEngine.h"

class BoundCommPortEngine final : public CommPortEngine {
public:
    BoundCommPortEngine(CCommLib& owner, unsigned long outQueueSize, unsigned long inQueueSize);

    // One more CCommLib object operates this engine.
    void Share();
    // `object` no longer operates this engine. When `object` created it, its hooks are called no
    // more; when it was the last object, the port is closed and the engine let go.
    void Unshare(CCommLib& object);

    void EventRx(unsigned long bytesInQueue) override;
    void EventLine(unsigned long modemStatus) override;
    void EventTxEnd() override;
    void EventError(COMSTAT& status, unsigned long errors) override;

private:
    ~BoundCommPortEngine() override = default;

    template <class Hook>
    void Deliver(Hook hook);
    void Unbind();

    // The creator while it refers to this engine, else null. Under hookState, as is the count below.
    CCommLib* owner;
    // Hooks under way: one at most on each event thread, and a port closed and opened again from a
    // hook has two event threads.
    unsigned long hooksRunning = 0;
    SRWLOCK hookState = SRWLOCK_INIT;
    CONDITION_VARIABLE hooksDone = CONDITION_VARIABLE_INIT;
    RefCount objects{1};
};

#endif
