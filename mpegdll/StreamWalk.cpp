#include "StreamWalk.h"

#include "MpegFrames.h"

StreamWalk WalkFrames(ReadAtFn read, void* source, int64_t fileBytes, long outputRate) {
  StreamWalk w;
  const MpegFrameIndex index = IndexFrames(read, source, fileBytes);
  // The info frame is a frame of the file for the decoder that reads it as
  // one: it is counted here as it decodes (to silence).
  std::vector<const FrameHeader*> headers;
  if (index.info.bytes > 0) headers.push_back(&index.info.header);
  for (const MpegFrame& f : index.frames) headers.push_back(&f.header);
  if (headers.empty()) return w;
  w.ok = true;
  w.firstRate = headers.front()->rate;
  if (outputRate <= 0) outputRate = w.firstRate;
  for (const FrameHeader* h : headers) {
    ++w.frames;
    w.outputSamples +=
        static_cast<double>(h->samples) * static_cast<double>(outputRate) / static_cast<double>(h->rate);
    if (h->rate != outputRate) w.mixedRates = true;
  }
  w.audioEnd = index.audioEnd;
  return w;
}
