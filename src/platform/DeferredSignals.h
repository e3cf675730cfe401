#pragma once
// Holds back the signals that ask the program to end (SIGINT, SIGTERM, SIGHUP) while a save is
// under way, so that the save finishes, or stops where nothing is left half done, before the
// signal takes effect:
//
//     DeferredSignals deferred;            // the signals are caught from here on
//     ...write the new files...            // StopRequested(): give up, leave the old files
//     ...commit...                          // never stopped
//                                           // ~DeferredSignals: a caught signal is raised again
//
// A signal the program ignores stays ignored. Scopes may nest; the outermost one raises the
// caught signal again, with the disposition it had before, so the program ends as it would
// have (and a handler of its own sees the signal).

namespace velmora {

class DeferredSignals {
  public:
    DeferredSignals();
    ~DeferredSignals();
    DeferredSignals(const DeferredSignals&) = delete;
    DeferredSignals& operator=(const DeferredSignals&) = delete;

    // Whether one of the signals arrived since the outermost scope began.
    static bool StopRequested();
};

}  // namespace velmora
