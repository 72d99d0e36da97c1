// The editor's metering rules as plain functions: the meter mode derived from MeterType and Scale, the
// AttShow bits behind the three gain-reduction source buttons, and the readouts' texts and positions.
#pragma once

#include <cstddef>

namespace zarpa {

// 0 peak, 1 K-12, 2 K-14, 3 K-20.
enum MeterMode : int { kPeakMode = 0, kK12Mode, kK14Mode, kK20Mode, kMeterModeCount };

// Peak mode unless MeterType is on; in the K-system the Scale step picks K-12, K-14 or K-20.
int meterModeOf(float meterTypeValue, float scaleValue);

// The readouts show a peak plus this offset: 0 in peak mode, else the K-system's reference level.
int readoutOffsetDb(int mode);

// The AttShow bits (1: release followers, 2: transient envelope, 4: leveller) of its value.
int attShowMask(float attShowValue);
// The AttShow value with one bit (1, 2 or 4) set or cleared, as the centre of its step of 8.
float attShowWithBit(float attShowValue, int bit, bool on);

// The gain-reduction source bit that the button with this tag switches, else 0.
int attShowBitOfTag(int tag);

// A peak readout's number: "-oo" at or below −100, else "%+2.1f".
void peakReadoutText(float maximumDb, int offsetDb, char* out, std::size_t size);
// The gain-reduction readout's number: "%2.1f".
void gainReadoutText(float minimumDb, char* out, std::size_t size);

// The x of a readout text centred in a 30-px field starting at fieldX (signed; may lie left of it).
int readoutTextX(int fieldX, const char* text);

}  // namespace zarpa
