#pragma once
// The member definitions of quivaraProgram<T>, for the files that compile
// its two precisions.
#include "program/quivaraProgram.h"
#include "program/engine_runs.h"
#include "program/program_load.h"
#include "program/program_generation.h"
#include "program/program_analysis.h"
#include "program/program_importances.h"
#include "program/program_timing.h"
