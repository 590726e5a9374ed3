#pragma once
// The five images of the wavelet analysis tab: the lead images ImageW0..ImageW3
// (X, Y, Z, M; 400 x 300, x = transform position) and the raw signal image ImageW4
// (800 x 200, x = sample index).

#include "views/Canvas.h"

namespace wavelet {

inline constexpr int kLeadImageWidth = 400;
inline constexpr int kLeadImageHeight = 300;
inline constexpr int kRawImageWidth = 800;
inline constexpr int kRawImageHeight = 200;
inline constexpr int kImageCount = 5;

struct LeadImages {
  Canvas ImageW0{kLeadImageWidth, kLeadImageHeight};
  Canvas ImageW1{kLeadImageWidth, kLeadImageHeight};
  Canvas ImageW2{kLeadImageWidth, kLeadImageHeight};
  Canvas ImageW3{kLeadImageWidth, kLeadImageHeight};
  Canvas ImageW4{kRawImageWidth, kRawImageHeight};

  // "ImageW" + i for i = 0..4 (0..3 are the leads X, Y, Z, M); throws
  // std::out_of_range for any other index.
  Canvas& Lead(int i);
  const Canvas& Lead(int i) const;
};

// The window's creation step: every image filled black under a solid black brush,
// with a white pen.
void InitialiseImages(LeadImages& images);

}  // namespace wavelet
