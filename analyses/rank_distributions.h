#pragma once

// Exact null distributions of the rank statistics, counted without visiting
// every arrangement.
namespace ombrix::analyses {}
