// The brainwave band a beat frequency belongs to, as the editor's band label
// shows it.
#pragma once

namespace toneloom {

// "Binaural Off" / "Monaural Off" for a beat of exactly 0 Hz (by `monaural`,
// the "Beats" mode), else the band of `beatHz`: "EPSILON" below 0.5 Hz,
// "DELTA" below 4, "THETA" below 8, "ALPHA" below 14, "BETA" below 30,
// "GAMMA" below 100, "LAMBDA" from 100 Hz. A negative beat, which the
// parameter range excludes, reads "DELTA". Never null; static storage.
const char* BandNameFor(float beatHz, bool monaural);

} // namespace toneloom
