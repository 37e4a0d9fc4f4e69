// Engines for tests: constructed on a test's own kernel32 table, disposed of like a CCommLib's.
#ifndef MOKACOMM_TESTS_TEST_ENGINE_H
#define MOKACOMM_TESTS_TEST_ENGINE_H

#include <memory>

#include "engine/CommPortEngine.h"

class TestEngine : public CommPortEngine {
public:
    using CommPortEngine::CommPortEngine;

protected:
    ~TestEngine() override = default;
};

struct DisposeEngine {
    void operator()(CommPortEngine* engine) const { engine->Dispose(); }
};

template <class Engine = TestEngine>
using EnginePtr = std::unique_ptr<Engine, DisposeEngine>;

template <class Engine = TestEngine, class... Args>
EnginePtr<Engine> MakeEngine(Args&&... args)
{
    return EnginePtr<Engine>(new Engine(std::forward<Args>(args)...));
}

#endif
