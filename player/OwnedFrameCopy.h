#pragma once

class AVData;

// A new frame with every attribute of frame and its own copy of the frame's bytes (the source may
// borrow them from a parser or a caller). Null when memory runs out. Private data is not carried.
AVData* newOwnedFrameCopy(const AVData& frame);
