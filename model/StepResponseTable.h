#pragma once

// The 16 characterised step responses of the transmitter, one per
// de-emphasis setting, as constant data compiled into the library (the
// definition is generated at build time by model/generator).
//
// Layout: entry j (0 .. 15) occupies elements [94000 j, 94000 j + 94000):
// first its 47000 response values (output signal level), then the 47000
// time stamps of those values (seconds, the first 0.0, strictly ascending).
// Entries 0 .. 10 and 12 .. 15 share one set of time stamps; entry 11 has
// its own. The model's wiring decides which entry serves which setting.
//
// Read-only: users copy what they need; nothing ever writes the table.
extern const double StepResponseTable[1504000];
