#include "cli/run.h"

int main(int argc, char** argv) { return verdalisMain(argc, argv); }
