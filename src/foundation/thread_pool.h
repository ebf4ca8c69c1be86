// The worker threads that long matrix computations split their independent pieces over (rows of
// a distance matrix, the pair search of neighbour joining). Work runs inside the command that
// asks for it: the caller takes part and returns when every piece is done. Pieces are fixed by
// the caller, never by the number of threads, so results do not depend on how many threads run.
//
// The machine may be busy with other programs. No thread waits by spinning for long: a waiter
// spins a moment (the other side is usually that close), then sleeps until woken, so that a
// waiter gives its core up to the thread it waits for. Pieces are handed out one at a time to
// whichever thread is free, and a job never waits for a worker that has not started on it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// The cores the process may run on (its affinity mask), at least 1.
std::size_t CoresAvailable();

// The time the calling thread has spent ready to run but waiting for a core (a busy machine's
// queue); 0 where the system does not tell. Takes a few microseconds.
std::chrono::nanoseconds QueuedTime();

// The number of threads the program computes with: every core it may use unless set otherwise.
std::size_t ThreadCount();

// Sets the number of threads (0: every core of the machine). Tests run the same work with 1, 2
// and all threads; the options page shows ThreadCount().
void SetThreadCount(std::size_t count);

// Runs piece(0) .. piece(pieces - 1), each exactly once, on up to ThreadCount() threads (the
// calling one included), and returns when all have finished. Pieces must not depend on each
// other's order. With one thread (or one piece) everything runs on the caller, in order.
// An exception thrown by a piece is rethrown here once every piece has finished.
void ParallelPieces(std::size_t pieces, const std::function<void(std::size_t piece)>& piece);

// Splits [0, count) into `pieces` consecutive ranges of nearly equal length: the range of piece k.
struct PieceRange {
    std::size_t begin, end;
};
PieceRange PieceOf(std::size_t count, std::size_t pieces, std::size_t k);

// A value one thread sets and others wait on. Waiting spins for a few tens of microseconds, then
// sleeps; Set wakes sleepers only when there are any, so a hand-over between busy threads costs no
// system call.
class WaitWord {
public:
    std::uint32_t Load() const { return value_.load(std::memory_order_acquire); }
    // Stores the value (what the setter wrote before is visible to a waiter that sees it).
    void Set(std::uint32_t value);
    // Returns the value once it is no longer `old`.
    std::uint32_t WaitWhile(std::uint32_t old);
    // Returns once the value is `wanted`.
    void WaitFor(std::uint32_t wanted);

private:
    template <class Done>
    void Wait(Done done);

    std::atomic<std::uint32_t> value_{0};
    std::atomic<std::uint32_t> sleepers_{0};
};

// Chooses how many threads share each step of a long run of short steps that must all finish
// together (a Jacobi rotation): such a team is only as fast as its slowest member, and on a busy
// machine a member whose core another program holds keeps every step waiting. The sizes tried are
// 1, 2, 4, ... and the most; the caller measures its speed at the current size over stretches of
// a few milliseconds and reports it. Now and then a stretch runs at the next smaller or larger
// size; the faster one stays. A size that lost is tried again after twice as many stretches, or
// at once when the speed of the size kept changes much (the load of the machine changed).
class TeamSizer {
public:
    explicit TeamSizer(std::size_t most);

    std::size_t Size() const { return sizes_[index_]; }
    // The speed (steps per second, or any measure where more is better) reached at Size() over the
    // stretch just ended; Size() is then the size of the next stretch.
    void Measured(double speed);

private:
    std::vector<std::size_t> sizes_;
    std::size_t index_;
    double speed_ = 0.0;      // of sizes_[index_], its last stretch
    double reference_ = 0.0;  // the speed of the size kept at the last comparison
    bool trying_ = false;     // the stretch just run tried sizes_[index_] in place of from_
    std::size_t from_ = 0;
    std::size_t wait_[2] = {1, 1};   // stretches before the next smaller (0) or larger (1) is tried
    std::size_t after_[2] = {1, 1};  // what wait_ is set to when that try loses (doubled each time)
    int next_ = 0;                   // which side is tried first when both are due
};
