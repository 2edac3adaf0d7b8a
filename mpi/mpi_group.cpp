#include "mpi_group.h"

#include <mpi.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "support/messages.h"
#include "support/process_group.h"

namespace verdalis {

namespace {

// MPI counts are int: larger shares travel in pieces of this size.
constexpr unsigned long long kPiece = 1ULL << 30;
constexpr int kShareTag = 13;

// Room for every share but the process's own, made before any is sent, so that a process out of memory ends the run on
// every process instead of leaving the others waiting to send.
bool roomForShares(const std::vector<unsigned long long>& sizes, int own, std::vector<std::string>& parts) {
  try {
    parts.assign(sizes.size(), std::string());
    for (std::size_t r = 0; r < sizes.size(); ++r)
      if (static_cast<int>(r) != own) parts[r].resize(sizes[r]);
    return true;
  } catch (const std::bad_alloc&) {
    parts.clear();
    return false;
  }
}

// The opening of every collective: each process learns whether any failed,
// so that a process that failed earlier and calls agree() meets the others
// inside whichever collective they are in.
bool anyFailed(bool failed) {
  int local = failed ? 1 : 0, any = 0;
  MPI_Allreduce(&local, &any, 1, MPI_INT, MPI_MAX, MPI_COMM_WORLD);
  return any != 0;
}

bool gatherShares(const std::string& mine, bool failed, std::vector<std::string>& parts) {
  if (anyFailed(failed)) return true;
  int rank = 0, size = 1;
  MPI_Comm_rank(MPI_COMM_WORLD, &rank);
  MPI_Comm_size(MPI_COMM_WORLD, &size);
  unsigned long long length = mine.size();
  std::vector<unsigned long long> sizes(static_cast<std::size_t>(rank == 0 ? size : 1));
  MPI_Gather(&length, 1, MPI_UNSIGNED_LONG_LONG, sizes.data(), 1, MPI_UNSIGNED_LONG_LONG, 0, MPI_COMM_WORLD);
  int room = rank == 0 ? (roomForShares(sizes, 0, parts) ? 1 : 0) : 1;
  MPI_Bcast(&room, 1, MPI_INT, 0, MPI_COMM_WORLD);
  if (room == 0) return true;
  if (rank != 0) {
    for (unsigned long long at = 0; at < length; at += kPiece)
      MPI_Send(mine.data() + at, static_cast<int>(std::min(kPiece, length - at)), MPI_BYTE, 0, kShareTag,
               MPI_COMM_WORLD);
    return false;
  }
  parts[0] = mine;
  for (int r = 1; r < size; ++r)
    for (unsigned long long at = 0; at < sizes[r]; at += kPiece)
      MPI_Recv(&parts[r][at], static_cast<int>(std::min(kPiece, sizes[r] - at)), MPI_BYTE, r, kShareTag,
               MPI_COMM_WORLD, MPI_STATUS_IGNORE);
  return false;
}

// Every process makes room for every share, and sends its own to all.
bool allGatherShares(const std::string& mine, bool failed, std::vector<std::string>& parts) {
  if (anyFailed(failed)) return true;
  int size = 1, rank = 0;
  MPI_Comm_size(MPI_COMM_WORLD, &size);
  MPI_Comm_rank(MPI_COMM_WORLD, &rank);
  unsigned long long length = mine.size();
  std::vector<unsigned long long> sizes(static_cast<std::size_t>(size));
  MPI_Allgather(&length, 1, MPI_UNSIGNED_LONG_LONG, sizes.data(), 1, MPI_UNSIGNED_LONG_LONG, MPI_COMM_WORLD);
  int room = roomForShares(sizes, rank, parts) ? 1 : 0, everywhere = 0;
  MPI_Allreduce(&room, &everywhere, 1, MPI_INT, MPI_MIN, MPI_COMM_WORLD);
  if (everywhere == 0) return true;
  parts[rank] = mine;
  for (int r = 0; r < size; ++r)
    for (unsigned long long at = 0; at < sizes[r]; at += kPiece)
      MPI_Bcast(&parts[r][at], static_cast<int>(std::min(kPiece, sizes[r] - at)), MPI_BYTE, r, MPI_COMM_WORLD);
  return false;
}

}  // namespace

void joinMpiGroup(int* argc, char*** argv) {
  // Only the main thread talks to MPI; the worker threads of a run never do.
  int provided = 0;
  MPI_Init_thread(argc, argv, MPI_THREAD_FUNNELED, &provided);
  processGroup& group = processes();
  MPI_Comm_rank(MPI_COMM_WORLD, &group.rank);
  MPI_Comm_size(MPI_COMM_WORLD, &group.size);
  group.gather = gatherShares;
  group.allGather = allGatherShares;
  console().quiet = group.rank != 0;
}

int leaveMpiGroup(int status) {
  MPI_Bcast(&status, 1, MPI_INT, 0, MPI_COMM_WORLD);
  MPI_Finalize();
  return status;
}

}  // namespace verdalis
