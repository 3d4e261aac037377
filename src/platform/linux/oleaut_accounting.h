// Bookkeeping of this system's BSTR allocator, for tests that check that every string made by
// SysAllocString and its relatives was freed again.
#pragma once

// The number of BSTRs allocated and not yet freed in this process.
long LiveBstrCount();
