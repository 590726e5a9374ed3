#include "base/LargeBuffers.h"

#include <malloc.h>

namespace wavelet {

void KeepLargeBuffersInTheHeap() {
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
}

}  // namespace wavelet
