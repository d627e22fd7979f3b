// Test hook of the folded comparisons: each width of block the processor
// offers can be exercised on any machine. Not part of the published
// interface: no public header declares it.
#pragma once

namespace orv::strings::testing {

// Folded comparison of a and b (neither null) as orvstr_icmp (n < 0) or
// orvstr_nicmp (limit n) makes it, but with blocks of block_bytes bytes:
// 0 (one character at a time), 16 or 32. False when this build or processor
// has no such blocks.
bool folded_compare_with_blocks(int block_bytes, const char *a, const char *b, long n, int *result);

}  // namespace orv::strings::testing
