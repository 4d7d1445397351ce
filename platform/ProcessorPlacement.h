// Which processor a thread runs on, and keeping a thread on one: what lets a steady run give each
// worker the processor that its predecessor of the last interval ended on, instead of wherever a
// new thread happens to start (on a virtual machine, often a processor that was idle and has to
// be woken, with nothing in its caches). Any thread may call both; neither blocks.
#pragma once

namespace quorvane {

// The number of the processor the calling thread runs on at this moment (the numbering that
// KeepThreadOnProcessor takes), or -1 where the system cannot tell.
int CurrentProcessor();

// Lets the calling thread run only on `processor` from now on (it moves there at once). False
// when the system refuses (the number is not one this process may use, or no such processor),
// and then the thread runs where it did before.
bool KeepThreadOnProcessor(int processor);

}  // namespace quorvane
