#include "media/SeqParameterSet.h"

int64_t SeqParameterSet::pictureWidth() const {
  return (static_cast<int64_t>(pic_width_in_mbs_minus1) + 1) * 16;
}

int64_t SeqParameterSet::pictureHeight() const {
  return (static_cast<int64_t>(pic_height_in_map_units_minus1) + 1) *
         (2 - static_cast<int64_t>(frame_mbs_only_flag)) * 16;
}
