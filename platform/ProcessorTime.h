// How much processor time a thread got, and how many processors the process may use: what tells
// a measured interval in which the workers ran from one in which something else had the
// processors (other programs, a virtual machine's host, a stopped process). Any thread may call
// both; neither blocks.
#pragma once

namespace quorvane {

// Processor time (user and system) that the calling thread has used since it started, in
// seconds; 0 where the system cannot tell. On Windows it advances in steps of the system's
// clock tick (about 16 ms).
double ThreadProcessorSeconds();

// The processors this process may run on (its affinity), at least 1.
int UsableProcessorCount();

}  // namespace quorvane
