// The worker threads that long matrix computations split their independent pieces over (rows of
// a distance matrix, the pair search of neighbour joining). Work runs inside the command that
// asks for it: the caller takes part and returns when every piece is done. Pieces are fixed by
// the caller, never by the number of threads, so results do not depend on how many threads run.
#pragma once

#include <cstddef>
#include <functional>

// The number of threads the program computes with: every core unless set otherwise.
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
