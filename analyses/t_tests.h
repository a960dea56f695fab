#pragma once

#include "analyses/analysis_inputs.h"

// The one-sample, paired and unpaired (pooled or Welch) t tests, and the one-
// and two-column dispatch that sends nonparametric requests to the rank tests.
// OneColumnTest and TwoColumnTest (declared in analyses.h) live here.
namespace ombrix::analyses {}
