// The software renderer allocates and frees tens of megabytes every frame.
// Given back to the system each time, that memory comes back as fresh pages
// the kernel must zero, and on a virtual machine each shrink of the heap
// stops every processor to flush its page tables: it more than doubled the
// frame time of a whole 344x344 terrain. Kept below this much, it is reused.
#pragma once

#include <malloc.h>

inline void KeepFreedMemoryForReuse() { mallopt(M_TRIM_THRESHOLD, 256 << 20); }
