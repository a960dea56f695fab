// Filled in with its analysis.
