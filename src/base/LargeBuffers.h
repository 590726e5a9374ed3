#pragma once
// For a program that makes and drops buffers of megabytes over and over (a recording's
// leads, a report page's commands and its content): memory mapped afresh for each, they
// cost more in page faults than the work done with them, and parallel workers queue in
// the kernel. Kept in the heap instead, they are reused.

namespace wavelet {

void KeepLargeBuffersInTheHeap();

}  // namespace wavelet
