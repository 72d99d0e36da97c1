// The editor's artwork handed to the toolkit: the bitmaps and the predefined font that the artwork
// generator drew (resources/). Every editor object installs it before it builds a window; controls made
// without an editor (tests, tools) install it first themselves.
#pragma once

namespace zarpa {

// Idempotent and thread-safe.
void installEditorArtwork();

}  // namespace zarpa
