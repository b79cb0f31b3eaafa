// SIGHUP (a closed terminal, a dropped ssh session, logging out) and SIGQUIT end the program the
// same orderly way SDL makes SIGINT and SIGTERM end it: the handler only notes the signal, and
// the loop's pump turns it into ExWmQueryEndSession, so the game shuts down, its recording is
// completed and the process exits 0.
#include <csignal>

#include "EngineParts.h"

namespace exg {

namespace {

volatile std::sig_atomic_t endSignalSeen = 0;
struct sigaction previousHangUp {};
struct sigaction previousQuit {};
bool caught = false;

void NoteEndSignal(int) {
    endSignalSeen = 1;
}

// Catches `signal` unless it was ignored (a program started with nohup keeps ignoring SIGHUP).
void Catch(int signal, struct sigaction& previous) {
    struct sigaction action {};
    action.sa_handler = NoteEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, &previous);
    if (previous.sa_handler == SIG_IGN) sigaction(signal, &previous, nullptr);
}

}  // namespace

void CatchEndSignals() {
    if (caught) return;
    endSignalSeen = 0;
    Catch(SIGHUP, previousHangUp);
    Catch(SIGQUIT, previousQuit);
    caught = true;
}

void ReleaseEndSignals() {
    if (!caught) return;
    sigaction(SIGHUP, &previousHangUp, nullptr);
    sigaction(SIGQUIT, &previousQuit, nullptr);
    caught = false;
}

bool TakeEndSignal() {
    if (!endSignalSeen) return false;
    endSignalSeen = 0;
    return true;
}

}  // namespace exg
