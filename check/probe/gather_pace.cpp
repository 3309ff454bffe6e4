#include "check/probe/gather_pace.h"

void GatherPace::AfterRead(std::size_t frames, bool gathered) {
  if (frames >= 6 && ms > kMinMs) {
    ms /= 2;
  } else if (gathered && frames <= 2 && ms < kMaxMs) {
    ms *= 2;
  }
}
