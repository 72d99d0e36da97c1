// The six numeric value fields beside the knobs: how a normalised value is shown and how a typed text
// becomes a normalised value again. Typed text is read as a decimal number in any locale; text that is not
// a number reads as 0.
#pragma once

#include <cstddef>

namespace zarpa {

struct ValueFieldFormat {
    int tag;  // the parameter the field edits
    // Writes the display text of value into out (size bytes, always terminated).
    void (*toText)(float value, char* out, std::size_t size);
    // The normalised value for a typed text, always inside [0, 1].
    float (*toValue)(const char* text);
};

// The conversions of the field editing parameter `tag`, or nullptr when no field edits it.
const ValueFieldFormat* valueFieldFormat(int tag);

// A decimal number at the start of text after blanks ("+1.5", "-3", ".5e1"); 0 when there is none,
// and for NaN. Independent of the process locale (a host may have set a decimal comma).
double parseDecimal(const char* text);

}  // namespace zarpa
