#include "views/LeadImages.h"

#include <stdexcept>
#include <string>

namespace wavelet {

Canvas& LeadImages::Lead(int i) {
  return const_cast<Canvas&>(static_cast<const LeadImages&>(*this).Lead(i));
}

const Canvas& LeadImages::Lead(int i) const {
  switch (i) {
    case 0: return ImageW0;
    case 1: return ImageW1;
    case 2: return ImageW2;
    case 3: return ImageW3;
    case 4: return ImageW4;
    default: throw std::out_of_range("no image ImageW" + std::to_string(i));
  }
}

void InitialiseImages(LeadImages& images) {
  for (int i = 0; i < kImageCount; ++i) {
    Canvas& image = images.Lead(i);
    image.SetBrushColour(0x000000);
    image.SetBrushStyle(BrushStyle::Solid);
    image.SetPenColour(0xFFFFFF);
    image.FillClipRect();
  }
}

}  // namespace wavelet
