// Replaced by the simulator's own sources.
