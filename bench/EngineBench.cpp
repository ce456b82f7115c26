#include "engine/Model.h"

#include <benchmark/benchmark.h>

namespace {

class Sink : public ZQ::EventListener {
public:
    int count = 0;
    void onSolved() override { ++count; }
};

// A notification copies its listener list; this keeps an eye on that cost.
void BM_NotifyTenListeners(benchmark::State& state) {
    ZQ::Model model;
    Sink sinks[10];
    for (Sink& s : sinks) {
        model.addListener(&s);
    }
    for (auto _ : state) {
        model.notify(&ZQ::EventListener::onSolved);
    }
    benchmark::DoNotOptimize(sinks[0].count);
}
BENCHMARK(BM_NotifyTenListeners);

} // namespace
