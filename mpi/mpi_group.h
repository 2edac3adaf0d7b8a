#pragma once
// The processes of an MPI job as the group that shares each run.
namespace verdalis {

// Joins MPI and installs the job's processes as the group of this process;
// rank 0 keeps the console, the others stay quiet.
void joinMpiGroup(int* argc, char*** argv);

// The exit status rank 0 chose, on every process, and the end of MPI.
int leaveMpiGroup(int status);

}  // namespace verdalis
