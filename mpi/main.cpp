// verdalis-mpi: the program of verdalis, each run shared among the processes
// of an MPI job (mpirun, srun). Started alone it is a job of one process.
#include "cli/run.h"
#include "mpi_group.h"
#include "support/interrupts.h"

int main(int argc, char** argv) {
  verdalis::joinMpiGroup(&argc, &argv);
  verdalis::installInterruptHandlers();
  return verdalis::leaveMpiGroup(verdalis::verdalisMain(argc, argv));
}
