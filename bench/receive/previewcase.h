// The receipt preview's cost to a file transfer: see previewcase.cpp.
#pragma once

// Runs the case with a file of `mib` MiB; prints its RESULT line; 0 when
// every transfer arrived whole.
int RunPreviewCase(int mib);
