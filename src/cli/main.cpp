#include "cli/run.h"
#include "support/interrupts.h"

int main(int argc, char** argv) {
  verdalis::installInterruptHandlers();
  return verdalis::verdalisMain(argc, argv);
}
