#pragma once
// The member definitions of landscape<T>, for the files that compile its
// two precisions.
#include "landscape/landscape.h"
#include "landscape/landscape_build.h"
#include "landscape/landscape_variants.h"
#include "landscape/landscape_binary.h"
#include "landscape/landscape_probabilistic.h"
#include "landscape/landscape_betweenness.h"
