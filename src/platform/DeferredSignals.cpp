#include "platform/DeferredSignals.h"

#include <array>
#include <atomic>
#include <csignal>

namespace velmora {

namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};

// A signal handler can only reach state of static storage; these are the only such state,
// and they change only while a scope is open.
struct State {
    std::atomic<int> depth{0};
    std::atomic<int> caught{0};
    std::array<struct sigaction, kSignals.size()> previous{};
    std::array<bool, kSignals.size()> taken{};
};

State& TheState() {
    static State state;
    return state;
}

extern "C" void CatchSignal(int signal) {
    int none = 0;
    TheState().caught.compare_exchange_strong(none, signal);
}

}  // namespace

DeferredSignals::DeferredSignals() {
    State& s = TheState();
    if (s.depth++ > 0) return;
    s.caught = 0;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        s.taken[i] = false;
        if (::sigaction(kSignals[i], nullptr, &s.previous[i]) != 0) continue;
        if (s.previous[i].sa_handler == SIG_IGN) continue;
        struct sigaction catching {};
        catching.sa_handler = CatchSignal;
        sigemptyset(&catching.sa_mask);
        catching.sa_flags = SA_RESTART;
        s.taken[i] = ::sigaction(kSignals[i], &catching, nullptr) == 0;
    }
}

DeferredSignals::~DeferredSignals() {
    State& s = TheState();
    if (--s.depth > 0) return;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (s.taken[i]) ::sigaction(kSignals[i], &s.previous[i], nullptr);
    }
    if (const int signal = s.caught.exchange(0); signal != 0) ::raise(signal);
}

bool DeferredSignals::StopRequested() {
    return TheState().caught.load() != 0;
}

}  // namespace velmora
