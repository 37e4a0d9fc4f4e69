// An action run when its scope ends, however it ends: the rollback of a set-up of several steps,
// dismissed once the last step has succeeded, or the end of something that must end with the scope.
#ifndef MOKACOMM_SCOPE_GUARD_H
#define MOKACOMM_SCOPE_GUARD_H

template <class Action>
class ScopeGuard {
public:
    explicit ScopeGuard(Action action) : action(action) {}
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;
    ~ScopeGuard()
    {
        if (armed)
            action();
    }

    // What the action would undo is kept: the action does not run.
    void Dismiss() { armed = false; }

private:
    Action action;
    bool armed = true;
};

#endif
