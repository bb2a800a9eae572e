#pragma once

namespace korvid {

// A write past the file-size limit (ulimit -f) would otherwise kill the process on the spot,
// with its temporary file left and every other document lost. Ignored, the write fails with
// EFBIG and is reported as a full disk is.
void IgnoreFileSizeLimitSignal();

} // namespace korvid
